#include "platform/posix/PosixProfile.h"

#include "platform/Platform.h"
#include "platform/ProfileFile.h"

namespace dw {

namespace {

// Profile files as whole files of the process-wide FileSystem.
class FileSystemProfileStore : public ProfileStore {
 public:
  Status Load(const std::wstring& file, std::string& bytes) override {
    std::optional<std::string> content = Fs().ReadAll(file);
    if (content) {
      bytes = std::move(*content);
      return Status::Ok;
    }
    return Fs().LastError() == kErrorFileNotFound ? Status::NotFound : Status::Failed;
  }
  bool Save(const std::wstring& file, std::string_view bytes) override { return Fs().WriteAll(file, bytes); }
};

}  // namespace

ProfileFiles* PosixProfileFiles() {
  static FileSystemProfileStore store;
  static TPortableProfileFiles files(store);
  return &files;
}

}  // namespace dw
