#include "app/ElevationCompanion.h"

#include "common/Text.h"
#include "loc/LangFile.h"
#include "platform/Platform.h"
#include "state/Elevation.h"

namespace dw {

int RunElevationCompanion(const std::vector<std::wstring>& arguments) {
  if (arguments.empty() || !EqualsNoCase(StripControls(arguments.front()), kRunAsAdminSwitch)) return kCompanionUsage;
  // Both programs lie in one folder. The shell's "runas" verb brings up the system's
  // elevation prompt; the program then sees "runasadmin" and does not ask again.
  const std::wstring folder = Sys().ProgramFolder();
  Sys().Shell(OwnerWindow::None, L"runas", folder + kProgramFileName, L"runasadmin", folder, kSwShowNormal);
  return kCompanionDone;
}

}  // namespace dw
