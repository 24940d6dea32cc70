// Unix names are bytes, Windows names are UTF-16 text. A Unix name must come back
// to the very same bytes, or a finding's path would name another file: a name that
// is not valid UTF-8 would decode to the same replacement characters as a user's
// file of a valid name, and a backslash in a name would read as a separator. So
// valid UTF-8 becomes its characters, and each byte that is not valid UTF-8, and
// each backslash, becomes the lone surrogate U+DC00 + byte, which no valid UTF-8
// decodes to.
#pragma once

#include <string>
#include <string_view>

namespace dw::posix {

std::wstring UnixNameToWide(std::string_view bytes);
// The bytes again; other text is encoded as UTF-8.
std::string WideToUnixName(std::wstring_view text);

}  // namespace dw::posix
