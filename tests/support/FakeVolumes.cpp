#include "support/FakeVolumes.h"

#include <cwctype>

namespace dw::test {

namespace {
// Per thread, as GetLastError.
thread_local uint32_t lastError = 0;
}  // namespace

uint32_t FakeVolumes::LastError() { return lastError; }

void FakeVolumes::Add(wchar_t letter, FakeVolume volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  volumes_[static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter)))] = volume;
}

void FakeVolumes::Remove(wchar_t letter) {
  std::lock_guard<std::mutex> lock(mutex_);
  volumes_.erase(static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter))));
}

int FakeVolumes::ReadinessChecks(wchar_t letter) {
  std::lock_guard<std::mutex> lock(mutex_);
  return checks_[static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter)))];
}

FakeVolume* FakeVolumes::Find(const std::wstring& path) {
  for (wchar_t c : path) {
    if (std::iswalpha(static_cast<wint_t>(c))) {
      auto it = volumes_.find(static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))));
      return it == volumes_.end() ? nullptr : &it->second;
    }
    if (c != L'\\' && c != L'.') return nullptr;
  }
  return nullptr;
}

uint32_t FakeVolumes::LogicalDrives() {
  std::lock_guard<std::mutex> lock(mutex_);
  uint32_t mask = 0;
  for (const auto& [letter, volume] : volumes_) mask |= 1u << (letter - L'A');
  return mask;
}

uint32_t FakeVolumes::DriveType(const std::wstring& root) {
  std::lock_guard<std::mutex> lock(mutex_);
  FakeVolume* v = Find(root);
  return v ? v->driveType : kDriveNoRootDir;
}

bool FakeVolumes::VolumeInformation(const std::wstring& root, VolumeInfo& info) {
  std::lock_guard<std::mutex> lock(mutex_);
  FakeVolume* v = Find(root);
  if (!v || !v->hasMedium) {
    lastError = v ? v->error : kErrorPathNotFound;
    return false;
  }
  info = v->info;
  return true;
}

bool FakeVolumes::DiskSpace(const std::wstring& root, int64_t& total, int64_t& freeForCaller) {
  std::lock_guard<std::mutex> lock(mutex_);
  FakeVolume* v = Find(root);
  if (!v || !v->hasMedium) return false;
  total = v->total;
  freeForCaller = v->freeBytes;
  return true;
}

uint32_t FakeVolumes::StorageBusType(const std::wstring& device) {
  std::lock_guard<std::mutex> lock(mutex_);
  FakeVolume* v = Find(device);
  return v ? v->busType : 0;
}

bool FakeVolumes::DeviceCheck(const std::wstring& device, uint32_t) {
  std::lock_guard<std::mutex> lock(mutex_);
  FakeVolume* v = Find(device);
  if (!v) return false;
  wchar_t letter = 0;
  for (const auto& [l, vol] : volumes_)
    if (&vol == v) letter = l;
  int n = checks_[letter]++;
  return v->hasMedium && n >= v->notReadyChecks;
}

}  // namespace dw::test
