// update.exe: started by the program at every start ("/hidden") and on the user's
// request, in the user's language. It shows its notice in a window of its own,
// owned by no other, and never goes to the network.
#include <string>
#include <vector>

#include "app/UpdaterCompanion.h"
#include "platform/Platform.h"
#include "platform/win32/CommandLine.h"
#include "programs/update/NoticeWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const dw::TUpdaterOptions options = dw::ParseUpdaterArguments(dw::win32::CommandLineArguments());
  if (options.Hidden) return 0;
  const dw::TUpdaterNotice notice = dw::UpdaterNotice(options, dw::Sys().ProgramFolder());
  if (!notice.Show) return 0;
  dw::win32::TNoticeWindow window(notice.Caption, notice.Text,
                                  notice.Kind == dw::TNoticeKind::Warning ? IDI_WARNING : IDI_INFORMATION);
  window.ShowModal();
  return 0;
}
