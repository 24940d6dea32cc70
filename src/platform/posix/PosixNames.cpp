#include "platform/posix/PosixNames.h"

#include "common/Text.h"

namespace dw::posix {

namespace {

constexpr char32_t kEscapeBase = 0xDC00;

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
    size_t length = DecodeUtf8(bytes, cp);
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
