// The policy values of the POSIX backend: there is no Group Policy to read.
#pragma once

#include "platform/Platform.h"

namespace dw {

PolicyStore* PosixPolicies();

}  // namespace dw
