#include "platform/win32/CommandLine.h"

#include "platform/win32/WindowsSupport.h"

#include <shellapi.h>

namespace dw::win32 {

std::vector<std::wstring> CommandLineArguments() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv[i]);
  LocalFree(argv);
  return arguments;
}

}  // namespace dw::win32
