#include "common/Text.h"

namespace dw {

namespace {

// Our own case tables: std::towlower depends on the C locale, and mingw's knows
// little beyond ASCII. Covered: ASCII, Latin-1 Supplement, Latin Extended-A,
// Greek and Cyrillic, which is where the letters of drive labels, file names and
// translations live.
char32_t LowerOf(char32_t c) {
  if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE) return c == 0xD7 ? c : c + 32;
  if (c == 0x130) return U'i';
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return (c % 2 == 0) ? c + 1 : c;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 1) ? c + 1 : c;
  if (c == 0x178) return 0xFF;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if (c >= 0x391 && c <= 0x3AB) return c == 0x3A2 ? c : c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
    return (c % 2 == 0) ? c + 1 : c;
  if (c == 0x4C0) return 0x4CF;
  if (c >= 0x4C1 && c <= 0x4CE) return (c % 2 == 1) ? c + 1 : c;
  return c;
}

char32_t UpperOf(char32_t c) {
  if (c < 0x80) return (c >= U'a' && c <= U'z') ? c - 32 : c;
  if (c >= 0xE0 && c <= 0xFE) return c == 0xF7 ? c : c - 32;
  if (c == 0xFF) return 0x178;
  if (c == 0x131) return U'I';
  if (c == 0x17F) return U'S';
  if ((c >= 0x101 && c <= 0x137) || (c >= 0x14B && c <= 0x177)) return (c % 2 == 1) ? c - 1 : c;
  if ((c >= 0x13A && c <= 0x148) || (c >= 0x17A && c <= 0x17E)) return (c % 2 == 0) ? c - 1 : c;
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 37;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 63;
  if (c == 0x3C2) return 0x3A3;
  if (c >= 0x3B1 && c <= 0x3CB) return c - 32;
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  if (c >= 0x430 && c <= 0x44F) return c - 32;
  if ((c >= 0x461 && c <= 0x481) || (c >= 0x48B && c <= 0x4BF) || (c >= 0x4D1 && c <= 0x52F))
    return (c % 2 == 1) ? c - 1 : c;
  if (c == 0x4CF) return 0x4C0;
  if (c >= 0x4C2 && c <= 0x4CE) return (c % 2 == 0) ? c - 1 : c;
  return c;
}

char32_t Unit(wchar_t c) {
  // wchar_t is signed on some targets; compare code units as unsigned values.
  if constexpr (sizeof(wchar_t) == 2) return static_cast<char32_t>(static_cast<char16_t>(c));
  return static_cast<char32_t>(c);
}

std::wstring MapEach(std::wstring_view s, char32_t (*map)(char32_t)) {
  std::wstring out;
  out.reserve(s.size());
  for (wchar_t c : s) out.push_back(static_cast<wchar_t>(map(Unit(c))));
  return out;
}

// One placeholder or literal run of a pattern, as the checked formatter sees it.
enum class PieceKind { Literal, Text, Integer };

// Calls piece(kind, literal) for each part of the pattern; false for an unknown
// conversion or a lone "%" at the end.
template <typename Fn>
bool Scan(std::wstring_view pattern, Fn piece) {
  size_t i = 0;
  while (i < pattern.size()) {
    size_t pct = pattern.find(L'%', i);
    if (pct == std::wstring_view::npos) {
      piece(PieceKind::Literal, pattern.substr(i));
      return true;
    }
    if (pct > i) piece(PieceKind::Literal, pattern.substr(i, pct - i));
    if (pct + 1 >= pattern.size()) return false;
    switch (pattern[pct + 1]) {
      case L'%': piece(PieceKind::Literal, pattern.substr(pct, 1)); break;
      case L's': piece(PieceKind::Text, {}); break;
      case L'd': piece(PieceKind::Integer, {}); break;
      default: return false;
    }
    i = pct + 2;
  }
  return true;
}

}  // namespace

wchar_t FoldCase(wchar_t c) {
  char32_t u = Unit(c);
  if (u == 0xB5) return static_cast<wchar_t>(0x3BC);  // the micro sign is the Greek mu
  // Through the upper case first so that dotless i, long s and final sigma meet
  // their ordinary letters, as Windows' case-insensitive comparisons have them.
  return static_cast<wchar_t>(LowerOf(UpperOf(u)));
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
  return text.size() >= suffix.size() && EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char32_t x = Unit(FoldCase(a[i]));
    char32_t y = Unit(FoldCase(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::wstring ToLower(std::wstring_view s) { return MapEach(s, LowerOf); }

std::wstring ToUpper(std::wstring_view s) { return MapEach(s, UpperOf); }

std::wstring AsciiLower(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
  }
  return out;
}

bool FormatFits(std::wstring_view pattern, const std::vector<FormatArg>& args) {
  size_t next = 0;
  bool fits = true;
  bool known = Scan(pattern, [&](PieceKind kind, std::wstring_view) {
    if (kind == PieceKind::Literal || !fits) return;
    if (next >= args.size()) {
      fits = false;
      return;
    }
    bool isText = std::holds_alternative<std::wstring>(args[next++]);
    if (isText != (kind == PieceKind::Text)) fits = false;
  });
  return known && fits;
}

std::wstring FormatText(std::wstring_view pattern, const std::vector<FormatArg>& args) {
  if (!FormatFits(pattern, args)) return std::wstring(pattern);
  std::wstring out;
  size_t next = 0;
  Scan(pattern, [&](PieceKind kind, std::wstring_view literal) {
    switch (kind) {
      case PieceKind::Literal: out.append(literal); break;
      case PieceKind::Text: out.append(std::get<std::wstring>(args[next++])); break;
      case PieceKind::Integer: out.append(std::to_wstring(std::get<int64_t>(args[next++]))); break;
    }
  });
  return out;
}

std::wstring FileNamePart(std::wstring_view path) {
  size_t sep = path.find_last_of(L"\\/:");
  return std::wstring(sep == std::wstring_view::npos ? path : path.substr(sep + 1));
}

std::wstring ExtensionPart(std::wstring_view path) {
  std::wstring name = FileNamePart(path);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

std::wstring IncludeTrailingBackslash(std::wstring_view path) {
  std::wstring out(path);
  if (out.empty() || out.back() != L'\\') out.push_back(L'\\');
  return out;
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += (text.empty() ? L"" : L"\n") + line;
  return text;
}

}  // namespace dw
