#include "platform/Platform.h"

namespace dw {

bool FileSystem::List(const std::wstring& folder, const std::function<bool(const FindData&)>& visit) {
  return Find(folder + L"*", [&](const FindData& entry) {
    if (entry.name == L"." || entry.name == L"..") return true;
    return visit(entry);
  });
}

Platform& platform() {
  static Platform current = NativePlatform();
  return current;
}

ScopedPlatform::ScopedPlatform(const Platform& replacement) : saved_(platform()) {
  Platform& current = platform();
  if (replacement.fs) current.fs = replacement.fs;
  if (replacement.volumes) current.volumes = replacement.volumes;
  if (replacement.system) current.system = replacement.system;
  if (replacement.profile) current.profile = replacement.profile;
  if (replacement.mainThread) current.mainThread = replacement.mainThread;
  if (replacement.policies) current.policies = replacement.policies;
  if (replacement.events) current.events = replacement.events;
}

ScopedPlatform::~ScopedPlatform() { platform() = saved_; }

}  // namespace dw
