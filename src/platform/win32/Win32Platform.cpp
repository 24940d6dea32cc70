#include "platform/Platform.h"
#include "platform/win32/Win32EventLog.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32MainThread.h"
#include "platform/win32/Win32Policies.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32System.h"
#include "platform/win32/Win32Volumes.h"

namespace dw {

Platform& NativePlatform() {
  static Win32FileSystem fileSystem;
  static Win32Volumes volumes;
  static Win32System system;
  // The thread that first asks for the platform owns the message-only window.
  static Win32MainThread mainThread;
  static Win32EventLog events;
  static Platform native{.fs = &fileSystem,
                         .volumes = &volumes,
                         .system = &system,
                         .profile = Win32ProfileFiles(),
                         .mainThread = &mainThread,
                         .policies = Win32Policies(),
                         .events = &events};
  return native;
}

}  // namespace dw
