// Text helpers shared by every module.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace dw {

// Case-insensitive comparison that also folds non-ASCII letters (É and é).
wchar_t FoldCase(wchar_t c);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
int CompareNoCase(std::wstring_view a, std::wstring_view b);
std::wstring ToLower(std::wstring_view s);  // every letter
std::wstring ToUpper(std::wstring_view s);
std::wstring AsciiLower(std::wstring_view s);  // A-Z only
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);
bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix);

// Arguments of a catalogue text: "%s" takes a text, "%d" an integer.
using FormatArg = std::variant<std::wstring, int64_t>;
// Fills "%s" and "%d" in order ("%%" is a percent sign). A text whose placeholders
// do not fit the arguments (kind mismatch, more placeholders than arguments, an
// unknown conversion) comes back unchanged. Extra arguments are ignored.
std::wstring FormatText(std::wstring_view pattern, const std::vector<FormatArg>& args);
// True when the placeholders fit the arguments' kinds as FormatText requires.
bool FormatFits(std::wstring_view pattern, const std::vector<FormatArg>& args);

// The length of the valid UTF-8 sequence at the start of bytes, with its code point
// in cp; 0 when bytes start with none (overlong forms and surrogates are not valid).
size_t DecodeUtf8(std::string_view bytes, char32_t& cp);
// Appends cp (at most U+10FFFF, no surrogate) encoded in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
std::wstring Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::wstring_view text);

// Windows-1252, the ANSI code page used where the OS has none.
std::string WideToCp1252(std::wstring_view text);  // '?' for what it cannot hold
std::wstring Cp1252ToWide(std::string_view bytes);

// The file-name part of a Windows path (after the last "\", "/" or ":").
std::wstring FileNamePart(std::wstring_view path);
// The extension from the last dot of the file-name part, dot included; empty without one.
std::wstring ExtensionPart(std::wstring_view path);
std::wstring IncludeTrailingBackslash(std::wstring_view path);
// The lines one below the other, as a notice shows them.
std::wstring JoinLines(const std::vector<std::wstring>& lines);

}  // namespace dw
