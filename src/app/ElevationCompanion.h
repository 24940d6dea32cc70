// usbcmd.exe's whole job: the program asks it to start the program again with
// administrator rights, so that the new instance knows it runs elevated.
#pragma once

#include <string>
#include <vector>

namespace dw {

inline constexpr wchar_t kElevationCompanionName[] = L"usbcmd.exe";
inline constexpr wchar_t kProgramFileName[] = L"drivewarden.exe";
inline constexpr wchar_t kRunAsAdminSwitch[] = L"/runAsadmin";

constexpr int kCompanionDone = 0;
// An argument list the companion does not understand: nothing was started.
constexpr int kCompanionUsage = 2;

// The arguments after the program's name. With "/runAsadmin" (any letter case) as
// the first one, starts drivewarden.exe from the companion's own folder through
// the "runas" verb with "runasadmin", in that folder; returns the exit code.
int RunElevationCompanion(const std::vector<std::wstring>& arguments);

}  // namespace dw
