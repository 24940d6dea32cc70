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
