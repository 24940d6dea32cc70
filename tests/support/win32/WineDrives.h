// Drive letters under Wine for the tests. A letter whose dosdevices link is made
// while Wine runs reaches files but is no volume: GetLogicalDrives leaves it out
// and "\\.\e:" cannot be opened. Defining it through Wine's mount manager, as
// winecfg does, makes it one without restarting Wine. Both fail outside Wine.
#pragma once

#include <cstdint>
#include <string>

namespace dw {

// Maps letter to unixFolder with the given drive type (2 removable, 3 fixed).
bool DefineWineDrive(wchar_t letter, const std::string& unixFolder, uint32_t driveType);
// Removes the letter with its dosdevices link.
bool RemoveWineDrive(wchar_t letter);
// Waits (at most timeoutMs) until Wine names the files under the letter by it.
// For a second or so after a letter is defined, Wine's drive table may still
// lack it, and a file there is named from Z: instead (a long path, which a check
// of the file's final path then fails on).
bool WaitForWineDrive(wchar_t letter, int timeoutMs);
// Whether the tests run under Wine rather than Windows: where Wine behaves
// otherwise, a test says what the program does there.
bool RunningUnderWine();

}  // namespace dw
