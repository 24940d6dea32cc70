// The profile-file service of the POSIX backend, defined beside this header.
#pragma once

#include "platform/Platform.h"

namespace dw {

ProfileFiles* PosixProfileFiles();

}  // namespace dw
