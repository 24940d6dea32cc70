// A file system that passes every call to another one; test decorators override
// only the calls they change.
#pragma once

#include "platform/Platform.h"

namespace dw::test {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  uint32_t Attributes(const std::wstring& path) override { return inner_.Attributes(path); }
  bool SetAttributes(const std::wstring& path, uint32_t attributes) override {
    return inner_.SetAttributes(path, attributes);
  }
  bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) override {
    return inner_.Find(pattern, visit);
  }
  std::optional<FindData> Entry(const std::wstring& path) override { return inner_.Entry(path); }
  bool Move(const std::wstring& from, const std::wstring& to) override { return inner_.Move(from, to); }
  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override {
    return inner_.Copy(from, to, failIfExists);
  }
  bool Delete(const std::wstring& path) override { return inner_.Delete(path); }
  bool CreateFolder(const std::wstring& path) override { return inner_.CreateFolder(path); }
  bool RemoveFolder(const std::wstring& path) override { return inner_.RemoveFolder(path); }
  std::wstring FullPath(const std::wstring& path, const std::wstring& base) override {
    return inner_.FullPath(path, base);
  }
  std::optional<std::string> ReadAll(const std::wstring& path) override { return inner_.ReadAll(path); }
  std::optional<FileStart> ReadRegular(const std::wstring& path, size_t limit) override {
    return inner_.ReadRegular(path, limit);
  }
  bool WriteAll(const std::wstring& path, std::string_view bytes) override { return inner_.WriteAll(path, bytes); }
  bool CreateNew(const std::wstring& path, std::string_view bytes) override { return inner_.CreateNew(path, bytes); }
  std::unique_ptr<SharedFile> OpenShared(const std::wstring& path) override { return inner_.OpenShared(path); }
  bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) override {
    return inner_.CopyNew(from, to, size);
  }
  std::optional<std::string> ReadRegularWhole(const std::wstring& path, size_t maxBytes) override {
    return inner_.ReadRegularWhole(path, maxBytes);
  }
  bool IsRegularFile(const std::wstring& path) override { return inner_.IsRegularFile(path); }
  std::optional<int64_t> WriteTime(const std::wstring& path) override { return inner_.WriteTime(path); }
  uint32_t LastError() override { return inner_.LastError(); }

 private:
  FileSystem& inner_;
};

// A drive that refuses every rename, as a full or failing stick does.
class RefusingMoveFs : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  bool Move(const std::wstring&, const std::wstring&) override {
    refused_ = true;
    return false;
  }
  uint32_t LastError() override { return refused_ ? 5 : ForwardingFileSystem::LastError(); }

 private:
  bool refused_ = false;
};

}  // namespace dw::test
