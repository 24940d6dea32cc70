// The policy values of the Win32 backend: the registry's policy keys, defined
// beside this header.
#pragma once

#include "platform/Platform.h"

namespace dw {

PolicyStore* Win32Policies();

}  // namespace dw
