#include "platform/lnk.h"

namespace dw {

// Without the Shell, our own reader of the published format is the reader.
TShellLink ReadShellLink(const std::wstring& path) { return ReadShellLinkPortable(path); }

}  // namespace dw
