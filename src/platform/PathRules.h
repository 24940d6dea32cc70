// Windows path rules that both backends share: GetFullPathNameW's normalisation,
// the wildcard matching of FindFirstFileW and the case folding of file names. Only
// OS-independent text work belongs here; the POSIX backend relies on it, and the
// tests hold it against the real functions under Wine.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dw {

// The upper-case form used to compare file names without regard to case (Latin,
// Greek and Cyrillic letters; other characters compare as they are).
wchar_t PathUpcase(wchar_t c);
bool PathNamesEqual(std::wstring_view a, std::wstring_view b);

// FindFirstFileW's matching of one name: "*" any run, "?" one character, letters
// without regard to case; dots and stars left over at the end of the pattern match
// nothing, so "*.*" also matches names without a dot.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view name);

// A relative path joined to base (a folder ending with "\") the way GetFullPathNameW
// joins it to the current folder: "x" and "e:x" on base's drive go below base, "\x"
// to the root of base's drive, "e:x" on another drive below its root. Absolute
// paths and paths with an empty base come back unchanged.
std::wstring CombineWithBase(const std::wstring& path, const std::wstring& base);

// GetFullPathNameW's rules: "/" read as "\", doubled separators merged, "." and ".."
// folded but never above the root, one trailing dot dropped from inner segments,
// trailing dots and blanks dropped from the last one, and DOS device names (CON,
// NUL.txt, ...) turned into "\\.\" paths. Empty when the path is empty or stays
// relative (no base).
std::wstring FullPathName(const std::wstring& path, const std::wstring& base);

// Length of the root of a full path: 3 for "e:\", the server and share of a UNC
// path with their separators, 4 for "\\.\" and "\\?\" paths; 0 when relative.
size_t RootLength(std::wstring_view path);

// The folder part of a path up to and including its last separator.
std::wstring FolderPart(std::wstring_view path);

// "\\?\" before a full path: the path is taken exactly as written, without
// GetFullPathNameW's normalisation, so that trailing dots and blanks stay part of a
// name and a DOS device name is a file like any other.
constexpr std::wstring_view kLiteralPrefix = L"\\\\?\\";
bool IsLiteralPath(std::wstring_view path);
// A full path "e:\..." in the form that reaches exactly the names it holds: as it
// is when normalisation would leave it unchanged, otherwise with "\\?\" in front.
// Other paths, and paths already in that form, come back as they are.
std::wstring LiteralPath(const std::wstring& path);
// The path without "\\?\" in front, as it is shown and compared.
std::wstring PlainPath(const std::wstring& path);

}  // namespace dw
