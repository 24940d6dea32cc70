#include "engine/traces/NameChars.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "common/Text.h"

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

// The bins of Windows before Vista, which no Windows of today makes and worms
// still do, so that their folder passes for one; and today's name, when it is not
// the root's real bin (a look-alike, or one below the root).
constexpr std::wstring_view kFakeBins[] = {L"recycler", L"recycler.bin", L"recyclers.bin", L"recycled",
                                           L"$recycle.bin"};

// "RECYCLER.BIN" also when blanks, format characters or trailing dots are slipped
// in: Explorer shows them as the same name.
bool IsFakeBinName(std::wstring_view name) {
  std::wstring bare;
  for (size_t i = 0; i < name.size();) {
    size_t start = i;
    if (!IsBlankOrFormat(NextCodePoint(name, i))) bare.append(name.substr(start, i - start));
  }
  while (!bare.empty() && bare.back() == L'.') bare.pop_back();
  bare = AsciiLower(bare);
  for (std::wstring_view fake : kFakeBins) {
    if (bare == fake) return true;
  }
  return false;
}

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

// "Recycle Bin.{645FF040-5081-101B-9F08-00AA002F954E}": Explorer shows the class's
// item in its place and never lists the folder's content.
bool EndsWithClassId(std::wstring_view name) {
  constexpr size_t kLength = 39;  // ".{" 8-4-4-4-12 "}"
  if (name.size() < kLength) return false;
  std::wstring_view id = name.substr(name.size() - kLength);
  if (id.substr(0, 2) != L".{" || id.back() != L'}') return false;
  for (size_t i = 0; i < 36; ++i) {
    bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash ? id[2 + i] != L'-' : !IsHexDigit(id[2 + i])) return false;
  }
  return true;
}

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

bool IsInvisibleName(std::wstring_view name) {
  if (name.empty()) return false;
  for (size_t i = 0; i < name.size();) {
    char32_t c = NextCodePoint(name, i);
    if (c != U'_' && !IsBlankOrFormat(c)) return false;
  }
  return true;
}

bool IsHidingName(std::wstring_view name) {
  return IsInvisibleName(name) || IsFakeBinName(name) || EndsWithClassId(name);
}

}  // namespace dw
