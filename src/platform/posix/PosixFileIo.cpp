#include "platform/posix/PosixFileIo.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace dw::posix {

ScopedFd::~ScopedFd() {
  if (fd_ >= 0) {
    // close may clobber errno, which callers still read after an error.
    int saved = errno;
    close(fd_);
    errno = saved;
  }
}

ScopedFd& ScopedFd::operator=(ScopedFd&& other) noexcept {
  if (this != &other) {
    ScopedFd old(fd_);
    fd_ = other.Release();
  }
  return *this;
}

int ScopedFd::Release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

bool WriteBytes(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool CopyBytes(int in, int out) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof(buffer));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteBytes(out, std::string_view(buffer, static_cast<size_t>(n)))) return false;
  }
}

std::optional<std::string> ReadBytes(int fd, size_t limit) {
  std::string content;
  char buffer[65536];
  off_t offset = 0;
  while (content.size() < limit) {
    size_t wanted = std::min(sizeof(buffer), limit - content.size());
    ssize_t n = pread(fd, buffer, wanted, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) return content;
    content.append(buffer, static_cast<size_t>(n));
    offset += n;
  }
  return content;
}

}  // namespace dw::posix
