// Besides "open" and "shellexecute", an autorun file starts programs through the
// verbs of its drive's menu: shell\<verb>\command (shell\auto\command=SVCH0ST.EXE e).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dw {

// The values of the [autorun] section's shell\<verb>\command keys, in file order,
// as Windows reads them (letter case aside, quotes removed, 2047 characters).
std::vector<std::wstring> AutorunVerbCommands(std::string_view bytes);

// The program that such a command line starts: the quoted name, blanks and all,
// when it begins with a quote ("my prog.exe" /s), else the text up to the first blank.
std::wstring CommandProgram(std::wstring_view command);

}  // namespace dw
