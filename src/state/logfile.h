// The per-user activity log: entries "%s %s %s;" (date and time, action word,
// target) appended without line breaks, in the ANSI code page.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace dw {

class TLogFile {
 public:
  // Opens DataFolder + "log\drivewarden_log_<user>.u.txt", creating the folder.
  explicit TLogFile(const std::wstring& dataFolder);
  void addItem(const std::wstring& action, const std::wstring& arg);
  std::vector<std::wstring> lbGetLog();
  void EraseLog();
  bool IsOpen() const { return Fstream != nullptr; }
  const std::wstring& FileName() const { return FFileName; }

 private:
  std::mutex FLock;
  std::unique_ptr<SharedFile> Fstream;
  std::wstring FFileName;
};

}  // namespace dw
