// FileSystem on Linux: Windows paths through the drive map, Windows semantics on
// top of POSIX calls (see PosixDrives.h and PosixAttributes.h).
#pragma once

#include "platform/Platform.h"

namespace dw {

class PosixFileSystem : public FileSystem {
 public:
  uint32_t Attributes(const std::wstring& path) override;
  bool SetAttributes(const std::wstring& path, uint32_t attributes) override;
  bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) override;
  bool List(const std::wstring& folder, const std::function<bool(const FindData&)>& visit) override;
  std::optional<FindData> Entry(const std::wstring& path) override;
  bool Move(const std::wstring& from, const std::wstring& to) override;
  bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) override;
  bool Delete(const std::wstring& path) override;
  bool CreateFolder(const std::wstring& path) override;
  bool RemoveFolder(const std::wstring& path) override;
  std::wstring FullPath(const std::wstring& path, const std::wstring& base) override;
  std::optional<std::string> ReadAll(const std::wstring& path) override;
  std::optional<FileStart> ReadRegular(const std::wstring& path, size_t limit) override;
  bool WriteAll(const std::wstring& path, std::string_view bytes) override;
  bool CreateNew(const std::wstring& path, std::string_view bytes) override;
  std::unique_ptr<SharedFile> OpenShared(const std::wstring& path) override;
  bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) override;
  std::optional<std::string> ReadRegularWhole(const std::wstring& path, size_t maxBytes) override;
  bool IsRegularFile(const std::wstring& path) override;
  std::optional<int64_t> WriteTime(const std::wstring& path) override;
  uint32_t LastError() override;

 private:
  bool ListMatching(const std::wstring& folder, const std::wstring& mask, bool withDots,
                    const std::function<bool(const FindData&)>& visit);
};

}  // namespace dw
