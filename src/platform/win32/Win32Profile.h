// The profile-file service of the Win32 backend, defined beside this header.
#pragma once

#include "platform/Platform.h"

namespace dw {

ProfileFiles* Win32ProfileFiles();

}  // namespace dw
