#include "platform/posix/PosixNames.h"

namespace dw::posix {

namespace {

constexpr char32_t kEscapeBase = 0xDC00;

// The length of the valid UTF-8 sequence at the start of bytes and its code
// point; 0 when it is not one.
size_t DecodeOne(std::string_view bytes, char32_t& cp) {
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

// Only what UnixNameToWide makes: a surrogate for "/" or a zero byte, written by
// someone else (a UTF-16 autorun file can hold one), must never become that byte.
bool IsEscape(char32_t cp) {
  if (cp < kEscapeBase || cp > kEscapeBase + 0xFF) return false;
  char32_t byte = cp - kEscapeBase;
  return byte >= 0x80 || byte == U'\\';
}

}  // namespace

std::wstring UnixNameToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    char32_t cp = 0;
    size_t length = DecodeOne(bytes, cp);
    if (length == 0 || cp == U'\\') {
      out.push_back(static_cast<wchar_t>(kEscapeBase + static_cast<unsigned char>(bytes[0])));
      length = 1;
    } else {
      out.push_back(static_cast<wchar_t>(cp));
    }
    bytes.remove_prefix(length);
  }
  return out;
}

std::string WideToUnixName(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    auto cp = static_cast<char32_t>(wc);
    if (IsEscape(cp)) {
      out.push_back(static_cast<char>(cp - kEscapeBase));
    } else if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, cp);
    }
  }
  return out;
}

}  // namespace dw::posix
