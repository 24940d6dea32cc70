// The process's arguments after the program's own name, split the way the shell
// and the C runtime split them.
#pragma once

#include <string>
#include <vector>

namespace dw::win32 {

std::vector<std::wstring> CommandLineArguments();

}  // namespace dw::win32
