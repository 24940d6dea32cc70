// The per-user activity log: entries "%s %s %s;" (date and time, action word,
// target) appended without line breaks, in the ANSI code page.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace dw {

// Told, with the log's path, the first time an entry could not be written.
using LogFailureHook = std::function<void(const std::wstring& logPath)>;

class TLogFile {
 public:
  // Opens DataFolder + "log\drivewarden_log_<user>.u.txt", creating the folder.
  // Other runs (another command-line scan, the program) may hold the same file:
  // each entry of each of them lands whole.
  explicit TLogFile(const std::wstring& dataFolder, LogFailureHook onFailure = {});
  void addItem(const std::wstring& action, const std::wstring& arg);
  std::vector<std::wstring> lbGetLog();
  // The end of the log, at most maxBytes of it; nothing without an open file.
  std::optional<FileStart> ReadTail(size_t maxBytes);
  void EraseLog();
  bool IsOpen() const { return Fstream != nullptr; }
  const std::wstring& FileName() const { return FFileName; }

 private:
  std::mutex FLock;
  std::unique_ptr<SharedFile> Fstream;
  std::wstring FFileName;
  LogFailureHook FOnFailure;
  bool FFailureTold = false;
};

}  // namespace dw
