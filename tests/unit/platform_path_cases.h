// What GetFullPathNameW makes of a path relative to a base folder, as Wine 8
// answers: one table for our own rules in both builds and for the real function.
#pragma once

namespace dw::test {

struct FullPathCase {
  const wchar_t* path;
  const wchar_t* base;
  const wchar_t* expected;
};

inline constexpr FullPathCase kFullPathCases[] = {
    // Absolute paths: letter case kept, "." and ".." folded, never above the root.
    {L"e:\\x.exe", L"", L"e:\\x.exe"},
    {L"E:\\a\\..\\b", L"", L"E:\\b"},
    {L"e:\\..\\..\\x", L"", L"e:\\x"},
    {L"e:\\a\\.", L"", L"e:\\a"},
    {L"e:\\a\\..", L"", L"e:\\"},
    {L"e:\\a\\b\\..", L"", L"e:\\a"},
    {L"e:\\a\\b\\..\\", L"", L"e:\\a\\"},
    {L"e:\\a\\b\\", L"", L"e:\\a\\b\\"},
    {L"e:\\", L"", L"e:\\"},
    {L"e:/a//b", L"", L"e:\\a\\b"},
    {L"e:\\\\\\a", L"", L"e:\\a"},
    // Trailing dots and blanks: all of them from the last segment, one dot inside.
    {L"e:\\a\\b. .", L"", L"e:\\a\\b"},
    {L"e:\\a\\b ", L"", L"e:\\a\\b"},
    {L"e:\\...", L"", L"e:\\"},
    {L"e:\\a.\\b", L"", L"e:\\a\\b"},
    {L"e:\\a..\\b", L"", L"e:\\a.\\b"},
    {L"e:\\a\\...\\b", L"", L"e:\\a\\..\\b"},
    {L"e:\\a\\ .\\b", L"", L"e:\\a\\ \\b"},
    {L"e:\\a\\. \\b", L"", L"e:\\a\\. \\b"},
    {L"e:\\a \\b", L"", L"e:\\a \\b"},
    {L"e:\\a\\ b", L"", L"e:\\a\\ b"},
    {L"e:\\a\\.b", L"", L"e:\\a\\.b"},
    {L"e:\\a\\..b", L"", L"e:\\a\\..b"},
    {L"e:\\a\\*.txt", L"", L"e:\\a\\*.txt"},
    // DOS device names open the device, wherever they stand.
    {L"e:\\CON", L"", L"\\\\.\\CON"},
    {L"e:\\a\\nul.txt", L"", L"\\\\.\\nul"},
    {L"e:\\a\\com1", L"", L"\\\\.\\com1"},
    {L"e:\\lpt9 .txt", L"", L"\\\\.\\lpt9"},
    {L"e:\\a\\com0", L"", L"e:\\a\\com0"},
    {L"e:\\a\\console", L"", L"e:\\a\\console"},
    {L"nul", L"e:\\", L"\\\\.\\nul"},
    // UNC paths keep their server and share.
    {L"\\\\srv\\share\\a\\..\\..\\b", L"", L"\\\\srv\\share\\b"},
    {L"x", L"\\\\srv\\share\\dir\\", L"\\\\srv\\share\\dir\\x"},
    {L"\\x", L"\\\\srv\\share\\dir\\", L"\\\\srv\\share\\x"},
    {L"..\\..\\x", L"\\\\srv\\share\\dir\\", L"\\\\srv\\share\\x"},
    // Relative paths against the base folder.
    {L"x.exe", L"e:\\", L"e:\\x.exe"},
    {L"sub\\..\\x.exe", L"e:\\", L"e:\\x.exe"},
    {L"..\\..\\x.exe", L"e:\\dir\\", L"e:\\x.exe"},
    {L".\\x.exe", L"e:\\dir\\", L"e:\\dir\\x.exe"},
    {L"a/b\\c", L"e:\\", L"e:\\a\\b\\c"},
    {L"x.exe. . ", L"e:\\", L"e:\\x.exe"},
    {L".", L"e:\\dir\\", L"e:\\dir"},
    {L"..", L"e:\\dir\\", L"e:\\"},
    {L"\\x.exe", L"e:\\dir\\", L"e:\\x.exe"},
    {L"/x.exe", L"e:\\dir\\", L"e:\\x.exe"},
    {L"e:x.exe", L"e:\\dir\\", L"e:\\dir\\x.exe"},
    {L"E:x.exe", L"e:\\dir\\", L"e:\\dir\\x.exe"},
    {L"f:x.exe", L"e:\\dir\\", L"f:\\x.exe"},
    {L"f:\\y\\x.exe", L"e:\\dir\\", L"f:\\y\\x.exe"},
    {L"e:", L"", L"e:\\"},
};

}  // namespace dw::test
