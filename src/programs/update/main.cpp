// update.exe: started by the program at every start ("/hidden") and on the user's
// request, in the user's language. It shows its notice in a message box of its
// own, owned by no window, and never goes to the network.
#include <string>
#include <vector>

#include "app/UpdaterCompanion.h"
#include "platform/Platform.h"
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

UINT IconOf(dw::TNoticeKind kind) { return kind == dw::TNoticeKind::Warning ? MB_ICONWARNING : MB_ICONINFORMATION; }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const dw::TUpdaterOptions options = dw::ParseUpdaterArguments(Arguments());
  if (options.Hidden) return 0;
  const dw::TUpdaterNotice notice = dw::UpdaterNotice(options, dw::Sys().ProgramFolder());
  if (!notice.Show) return 0;
  // The user asked from the control panel, which handed this process the foreground.
  MessageBoxW(nullptr, notice.Text.c_str(), notice.Caption.c_str(), MB_OK | MB_SETFOREGROUND | IconOf(notice.Kind));
  return 0;
}
