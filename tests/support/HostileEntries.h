// Entries that a hostile stick or another user of a shared data folder plants:
// symbolic links and named pipes, made at paths as the program sees them and
// removed (never followed) when the guard goes. Under Wine they are made by
// Linux's own ln and mkfifo, since CreateSymbolicLinkW does nothing there. Wine
// shows a Linux link to a folder as a reparse point, but a link to a file as the
// file it leads to (follows it whatever the flags, and DeleteFileW deletes that
// file); only a dangling link is not listed at all.
#pragma once

#include <string>
#include <vector>

namespace dw::test {

class HostileEntries {
 public:
  HostileEntries() = default;
  ~HostileEntries();
  HostileEntries(const HostileEntries&) = delete;
  HostileEntries& operator=(const HostileEntries&) = delete;

  // Makes link a symbolic link to target: another path as the program sees it, or
  // a Unix path such as "/dev/zero". Fails the running test when it cannot.
  void Link(const std::wstring& link, const std::wstring& target);
  // Makes a named pipe at path.
  void Pipe(const std::wstring& path);

 private:
  std::vector<std::string> made_;  // Unix paths, removed in reverse order
};

// The Unix path behind a path as the program sees it (a Unix path stays itself);
// empty when there is none.
std::string UnixPathOf(const std::wstring& path);

}  // namespace dw::test
