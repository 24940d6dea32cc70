// A drive pulled out during a scan, once its root has been listed by the rules
// and by the walk: from then on nothing of it answers, as after a removal.
#pragma once

#include <functional>
#include <string>

#include "common/Text.h"
#include "platform/PathRules.h"
#include "support/ForwardingFileSystem.h"

namespace dw::test {

class PulledOutFs : public ForwardingFileSystem {
 public:
  // pulled runs at the removal (to take the volume away as well).
  PulledOutFs(FileSystem& real, std::wstring root, std::function<void()> pulled = {})
      : ForwardingFileSystem(real), root_(std::move(root)), pulled_(std::move(pulled)) {}

  uint32_t Attributes(const std::wstring& path) override {
    return Gone(path) ? kInvalidAttributes : ForwardingFileSystem::Attributes(path);
  }
  bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) override {
    if (Gone(pattern)) return false;
    bool found = ForwardingFileSystem::Find(pattern, visit);
    // Rules 3 and 5 each list the root once.
    if (pattern == root_ + L"*" && ++rootListings_ == 2) {
      gone_ = true;
      if (pulled_) pulled_();
    }
    return found;
  }
  std::optional<FindData> Entry(const std::wstring& path) override {
    return Gone(path) ? std::nullopt : ForwardingFileSystem::Entry(path);
  }
  std::optional<FileStart> ReadRegular(const std::wstring& path, size_t limit) override {
    return Gone(path) ? std::nullopt : ForwardingFileSystem::ReadRegular(path, limit);
  }
  uint32_t LastError() override { return gone_ ? kErrorNotReady : ForwardingFileSystem::LastError(); }

 private:
  bool Gone(const std::wstring& path) const {
    return gone_ && EqualsNoCase(PlainPath(path).substr(0, root_.size()), root_);
  }

  std::wstring root_;
  std::function<void()> pulled_;
  int rootListings_ = 0;
  bool gone_ = false;
};

}  // namespace dw::test
