#include "engine/traces/NameChars.h"

#include <cstdio>

namespace dw {

namespace {

struct TRange {
  char32_t first, last;
};

// Unicode's white space, its default-ignorable characters and the fillers that
// fonts draw empty (Hangul fillers, the blank braille pattern).
constexpr TRange kBlankOrFormat[] = {
    {0x0009, 0x000D}, {0x0020, 0x0020}, {0x0085, 0x0085}, {0x00A0, 0x00A0},   {0x00AD, 0x00AD},   {0x034F, 0x034F},
    {0x061C, 0x061C}, {0x115F, 0x1160}, {0x1680, 0x1680}, {0x17B4, 0x17B5},   {0x180B, 0x180F},   {0x2000, 0x200F},
    {0x2028, 0x202F}, {0x205F, 0x206F}, {0x2800, 0x2800}, {0x3000, 0x3000},   {0x3164, 0x3164},   {0xFE00, 0xFE0F},
    {0xFEFF, 0xFEFF}, {0xFFA0, 0xFFA0}, {0xFFF9, 0xFFFB}, {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};

}  // namespace

char32_t NextCodePoint(std::wstring_view text, size_t& i) {
  char32_t c = static_cast<char32_t>(text[i++]);
  if constexpr (sizeof(wchar_t) == 2) {
    if (c >= 0xD800 && c < 0xDC00 && i < text.size()) {
      char32_t low = static_cast<char32_t>(text[i]);
      if (low >= 0xDC00 && low < 0xE000) {
        ++i;
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      }
    }
  }
  return c;
}

bool IsBlankOrFormat(char32_t c) {
  for (const TRange& range : kBlankOrFormat) {
    if (c >= range.first && c <= range.last) return true;
  }
  return false;
}

bool IsBidiReordering(char32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

bool IsBidiMark(char32_t c) { return c == 0x200E || c == 0x200F || c == 0x061C; }

std::wstring CodePointsText(std::wstring_view name, size_t max) {
  std::wstring out;
  size_t count = 0;
  for (size_t i = 0; i < name.size();) {
    char32_t c = NextCodePoint(name, i);
    if (count == max) {
      out += L" ...";
      break;
    }
    char text[16];
    std::snprintf(text, sizeof(text), "%sU+%04X", count ? " " : "", static_cast<unsigned>(c));
    out.append(text, text + std::char_traits<char>::length(text));
    ++count;
  }
  return out;
}

}  // namespace dw
