// usbcmd.exe: restarts drivewarden.exe with administrator rights when the program
// asks for it with "/runAsadmin". Started hidden, it shows nothing of its own.
#include "platform/win32/WindowsSupport.h"

#include <string>
#include <vector>

#include "app/ElevationCompanion.h"
#include "platform/win32/CommandLine.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return dw::RunElevationCompanion(dw::win32::CommandLineArguments());
}
