// Small helpers around file descriptors for the POSIX backend.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dw::posix {

// Writes every byte, retrying short writes; false on the first error (errno set).
bool WriteBytes(int fd, std::string_view bytes);
// Copies from the current position of in to the end, onto out.
bool CopyBytes(int in, int out);
// Reads from offset 0 to the end of the file, or to limit bytes; absent on an
// error (errno set).
std::optional<std::string> ReadBytes(int fd, size_t limit = SIZE_MAX);
// Reads from offset 0 to the end of the file when it holds at most maxBytes bytes;
// absent on an error (errno set) or a longer file (errno EFBIG).
std::optional<std::string> ReadAtMost(int fd, size_t maxBytes);
// Copies exactly size bytes from the current position of in, which must end there,
// onto out (opened for reading and writing at offset 0), flushes out to the disk
// and reads it back. False when in was shorter or longer (errno EIO), when the
// bytes read back differ (EIO), or on the first error (errno set).
bool CopyExactly(int in, int out, uint64_t size);

// Owns a descriptor.
class ScopedFd {
 public:
  explicit ScopedFd(int fd = -1) : fd_(fd) {}
  ~ScopedFd();
  ScopedFd(ScopedFd&& other) noexcept : fd_(other.Release()) {}
  ScopedFd& operator=(ScopedFd&& other) noexcept;
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int Get() const { return fd_; }
  bool IsValid() const { return fd_ >= 0; }
  int Release();

 private:
  int fd_;
};

}  // namespace dw::posix
