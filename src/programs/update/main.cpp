// update.exe: started by the program at every start ("/hidden") and on the user's
// request, in the user's language. It shows its notice in a window of its own,
// owned by no other, and never goes to the network.
#include <string>
#include <vector>

#include "app/UpdaterCompanion.h"
#include "platform/Platform.h"
#include "programs/update/NoticeWindow.h"

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

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const dw::TUpdaterOptions options = dw::ParseUpdaterArguments(Arguments());
  if (options.Hidden) return 0;
  const dw::TUpdaterNotice notice = dw::UpdaterNotice(options, dw::Sys().ProgramFolder());
  if (!notice.Show) return 0;
  dw::win32::TNoticeWindow window(notice.Caption, notice.Text,
                                  notice.Kind == dw::TNoticeKind::Warning ? IDI_WARNING : IDI_INFORMATION);
  window.ShowModal();
  return 0;
}
