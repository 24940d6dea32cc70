#include "platform/Platform.h"

namespace dw {

// Placeholder until the Win32 services exist.
Platform& NativePlatform() {
  static Platform native;
  return native;
}

}  // namespace dw
