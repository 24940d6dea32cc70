#include "platform/Platform.h"

namespace dw {

// Placeholder until the POSIX services exist.
Platform& NativePlatform() {
  static Platform native;
  return native;
}

}  // namespace dw
