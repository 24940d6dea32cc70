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

}  // namespace dw
