// The portable profile functions over files kept in memory, for tests of code that
// reads and writes INI files.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/ProfileFile.h"

namespace dw::test {

class MemoryProfileStore : public ProfileStore {
 public:
  Status Load(const std::wstring& file, std::string& bytes) override;
  bool Save(const std::wstring& file, std::string_view bytes) override;

  void Put(const std::wstring& file, std::string bytes);
  void Clear();
  std::optional<std::string> Get(const std::wstring& file);
  // Every load then fails as for a missing folder, and every save fails.
  void SetUnreachable(bool unreachable);

 private:
  std::mutex FLock;
  std::map<std::wstring, std::string> FFiles;  // by name folded to lower case
  bool FUnreachable = false;
};

class MemoryProfileFiles : public TPortableProfileFiles {
 public:
  MemoryProfileFiles() : TPortableProfileFiles(store) {}
  MemoryProfileStore store;
};

}  // namespace dw::test
