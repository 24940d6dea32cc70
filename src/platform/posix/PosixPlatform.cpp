#include "platform/Platform.h"
#include "platform/QueueMainThread.h"
#include "platform/posix/PosixEventLog.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixPolicies.h"
#include "platform/posix/PosixProfile.h"
#include "platform/posix/PosixSystem.h"
#include "platform/posix/PosixVolumes.h"

namespace dw {

Platform& NativePlatform() {
  static PosixFileSystem fileSystem;
  static PosixVolumes volumes;
  static PosixSystem system;
  // Without windows, the thread that first asks for the platform is the window thread.
  static QueueMainThread mainThread;
  static PosixEventLog events;
  static Platform native{.fs = &fileSystem,
                         .volumes = &volumes,
                         .system = &system,
                         .profile = PosixProfileFiles(),
                         .mainThread = &mainThread,
                         .policies = PosixPolicies(),
                         .events = &events};
  return native;
}

}  // namespace dw
