// usbcmd.exe: restarts drivewarden.exe with administrator rights when the program
// asks for it with "/runAsadmin". Started hidden, it shows nothing of its own.
#include <string>
#include <vector>

#include "app/ElevationCompanion.h"
#include "platform/win32/WindowsSupport.h"

#include <shellapi.h>

namespace {

std::vector<std::wstring> Arguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv[i]);
  LocalFree(argv);
  return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return dw::RunElevationCompanion(Arguments()); }
