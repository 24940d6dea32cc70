#include "platform/Platform.h"
#include "platform/QueueMainThread.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixProfile.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/PosixVolumes.h"

namespace dw {

// Stands in until the profile-file service exists. Delete it then: in a static
// library the member with the strong definition is linked only when something
// still needs the symbol, and this weak one would satisfy that need for good.
__attribute__((weak)) ProfileFiles* PosixProfileFiles() { return nullptr; }

Platform& NativePlatform() {
  static PosixFileSystem fileSystem;
  static PosixVolumes volumes;
  static PosixSystem system;
  // Without windows, the thread that first asks for the platform is the window thread.
  static QueueMainThread mainThread;
  static Platform native{.fs = &fileSystem,
                          .volumes = &volumes,
                          .system = &system,
                          .profile = PosixProfileFiles(),
                          .mainThread = &mainThread};
  return native;
}

}  // namespace dw
