#include <array>

#include "common/Text.h"

namespace dw {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendCodePoint(std::wstring& out, char32_t cp) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(cp));
}

}  // namespace

size_t DecodeUtf8(std::string_view bytes, char32_t& cp) {
  if (bytes.empty()) return 0;
  auto b = static_cast<unsigned char>(bytes[0]);
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  size_t extra = (b >> 5) == 0x6 ? 1 : (b >> 4) == 0xE ? 2 : (b >> 3) == 0x1E ? 3 : 0;
  if (extra == 0 || extra >= bytes.size()) return 0;
  cp = b & (0x3Fu >> extra);
  for (size_t k = 1; k <= extra; ++k) {
    auto c = static_cast<unsigned char>(bytes[k]);
    if ((c & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (c & 0x3Fu);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return extra + 1;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::wstring Utf8ToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t cp = 0;
    size_t length = DecodeUtf8(bytes, cp);
    if (length == 0) {
      out.push_back(L'\xFFFD');
      length = 1;
    } else {
      AppendCodePoint(out, cp);
    }
    bytes.remove_prefix(length);
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      cp &= 0xFFFF;
      if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
        char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
        if (low >= 0xDC00 && low <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // an unpaired surrogate
    AppendUtf8(out, cp);
  }
  return out;
}

std::string WideToCp1252(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    auto c = static_cast<char32_t>(wc);
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char mapped = '?';
    for (size_t k = 0; k < kCp1252High.size(); ++k) {
      if (kCp1252High[k] != 0 && kCp1252High[k] == c) {
        mapped = static_cast<char>(0x80 + k);
        break;
      }
    }
    out.push_back(mapped);
  }
  return out;
}

std::wstring Cp1252ToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b <= 0x9F) {
      char16_t mapped = kCp1252High[b - 0x80];
      // Windows maps the unassigned bytes to the control characters of the same value.
      out.push_back(static_cast<wchar_t>(mapped ? mapped : b));
    } else {
      out.push_back(static_cast<wchar_t>(b));
    }
  }
  return out;
}

}  // namespace dw
