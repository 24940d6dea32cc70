#include "platform/posix/PosixFileIo.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/CopyDigest.h"

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

std::optional<std::string> ReadAtMost(int fd, size_t maxBytes) {
  // One byte past the bound tells a longer file from one that ends there.
  std::optional<std::string> content = ReadBytes(fd, maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1);
  if (content && content->size() > maxBytes) {
    errno = EFBIG;
    return std::nullopt;
  }
  return content;
}

namespace {

ssize_t ReadRetrying(int fd, char* buffer, size_t size) {
  for (;;) {
    ssize_t n = read(fd, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

bool Fail(int error) {
  errno = error;
  return false;
}

}  // namespace

bool CopyExactly(int in, int out, uint64_t size) {
  char buffer[65536];
  TCopyDigest written;
  for (uint64_t left = size; left > 0;) {
    ssize_t n = ReadRetrying(in, buffer, static_cast<size_t>(std::min<uint64_t>(sizeof(buffer), left)));
    if (n < 0) return false;
    if (n == 0) return Fail(EIO);  // shorter than it was listed
    std::string_view chunk(buffer, static_cast<size_t>(n));
    if (!WriteBytes(out, chunk)) return false;
    written.Add(chunk);
    left -= static_cast<uint64_t>(n);
  }
  ssize_t more = ReadRetrying(in, buffer, 1);
  if (more < 0) return false;
  if (more > 0) return Fail(EIO);  // it grew while it was copied
  if (fsync(out) != 0) return false;

  TCopyDigest readBack;
  for (off_t offset = 0;;) {
    ssize_t n = pread(out, buffer, sizeof(buffer), offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    readBack.Add(std::string_view(buffer, static_cast<size_t>(n)));
    offset += n;
  }
  return readBack == written || Fail(EIO);
}

}  // namespace dw::posix
