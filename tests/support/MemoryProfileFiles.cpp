#include "support/MemoryProfileFiles.h"

#include "common/Text.h"

namespace dw::test {

ProfileStore::Status MemoryProfileStore::Load(const std::wstring& file, std::string& bytes) {
  std::lock_guard<std::mutex> lock(FLock);
  if (FUnreachable) return Status::Failed;
  auto it = FFiles.find(ToLower(file));
  if (it == FFiles.end()) return Status::NotFound;
  bytes = it->second;
  return Status::Ok;
}

bool MemoryProfileStore::Save(const std::wstring& file, std::string_view bytes) {
  std::lock_guard<std::mutex> lock(FLock);
  if (FUnreachable) return false;
  FFiles[ToLower(file)] = std::string(bytes);
  return true;
}

void MemoryProfileStore::Put(const std::wstring& file, std::string bytes) {
  std::lock_guard<std::mutex> lock(FLock);
  FFiles[ToLower(file)] = std::move(bytes);
}

void MemoryProfileStore::Clear() {
  std::lock_guard<std::mutex> lock(FLock);
  FFiles.clear();
  FUnreachable = false;
}

std::optional<std::string> MemoryProfileStore::Get(const std::wstring& file) {
  std::lock_guard<std::mutex> lock(FLock);
  auto it = FFiles.find(ToLower(file));
  if (it == FFiles.end()) return std::nullopt;
  return it->second;
}

void MemoryProfileStore::SetUnreachable(bool unreachable) {
  std::lock_guard<std::mutex> lock(FLock);
  FUnreachable = unreachable;
}

}  // namespace dw::test
