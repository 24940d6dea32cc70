#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/PathRules.h"
#include "platform/posix/PosixAttributes.h"
#include "platform/posix/PosixDrives.h"
#include "platform/posix/PosixErrors.h"
#include "platform/posix/PosixFileIo.h"
#include "platform/posix/PosixNames.h"

namespace dw {

using posix::ScopedFd;
using posix::SetErrorForPath;
using posix::SetLastErrorCode;
using posix::UnixNameToWide;
using posix::WideToUnixName;

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorDirectory = 267;  // ERROR_DIRECTORY: not a folder

std::optional<std::string> Resolve(const std::wstring& path) {
  std::optional<std::string> unix = ToUnixPath(path);
  if (!unix) SetLastErrorCode(kErrorPathNotFound);
  return unix;
}

bool Lstat(const std::string& unixPath, struct stat& st) { return lstat(unixPath.c_str(), &st) == 0; }

bool IsReadOnlyFile(const struct stat& st) { return S_ISREG(st.st_mode) && (st.st_mode & kWriteBits) == 0; }

std::string ParentFolder(const std::string& unixPath) {
  size_t slash = unixPath.find_last_of('/');
  return slash == std::string::npos ? "." : unixPath.substr(0, slash);
}

bool FailWith(uint32_t code) {
  SetLastErrorCode(code);
  return false;
}

bool FailForPath(const std::string& unixPath) {
  SetErrorForPath(errno, unixPath);
  return false;
}

// rename that never replaces an existing entry.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS) {
    // A file system without RENAME_NOREPLACE: check, then rename.
    struct stat st;
    if (Lstat(to, st)) return FailWith(kErrorAlreadyExists);
    if (rename(from.c_str(), to.c_str()) == 0) return true;
  }
  if (errno == EEXIST) return FailWith(kErrorAlreadyExists);
  return FailForPath(to);
}

// An open folder, for its entries to be looked up relative to it: one name per
// call, not a full path walked again for each entry.
class TOpenFolder {
 public:
  // The path as written first, which is what a walk asks for; the look-up without
  // regard to case only when that is missing. Sets the last error on failure.
  bool Open(const std::wstring& folder) {
    std::optional<std::string> exact = MappedUnixPath(folder);
    if (exact && OpenAt(*exact)) return true;
    if (exact && errno != ENOENT && errno != ENOTDIR) return FailWith(posix::ErrorFromErrno(errno));
    std::optional<std::string> resolved = Resolve(folder);
    if (!resolved) return false;
    if (OpenAt(*resolved)) return true;
    return FailWith(errno == ENOENT || errno == ENOTDIR ? kErrorPathNotFound : posix::ErrorFromErrno(errno));
  }

  const std::string& Path() const { return FPath; }
  int Fd() const { return FFd.Get(); }

  // Every name but "." and "..", straight from the kernel's directory records.
  template <typename Visit>
  bool ReadNames(Visit&& visit) const {
    alignas(dirent64) char buffer[16384];
    for (;;) {
      ssize_t n = getdents64(Fd(), buffer, sizeof(buffer));
      if (n < 0) return false;
      if (n == 0) return true;
      for (ssize_t at = 0; at < n;) {
        const dirent64* entry = reinterpret_cast<const dirent64*>(buffer + at);
        if (entry->d_reclen == 0) return false;  // a record that would never end the loop
        at += entry->d_reclen;
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") visit(name);
      }
    }
  }

  // The entry's lstat, relative to the folder; false once it is gone.
  bool Stat(const char* name, struct stat& st) const { return fstatat(Fd(), name, &st, AT_SYMLINK_NOFOLLOW) == 0; }

 private:
  bool OpenAt(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    // O_DIRECTORY: a pipe under the folder's name is refused, never waited on.
    FFd = ScopedFd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!FFd.IsValid()) return false;
    FPath = std::move(path);
    return true;
  }

  ScopedFd FFd;
  std::string FPath;
};

// One entry of an open folder as FindFirstFileW gives it; nothing when it went
// away since the folder was read.
std::optional<FindData> EntryOf(const TOpenFolder& folder, const std::string& name, posix::TDosBitsReader& bits) {
  struct stat st;
  if (!folder.Stat(name.c_str(), st)) return std::nullopt;
  uint64_t size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
  const std::string path = folder.Path() == "/" ? "/" + name : folder.Path() + "/" + name;
  uint32_t attributes = posix::AttributesOf({path, folder.Fd(), name.c_str()}, st, bits);
  return FindData{UnixNameToWide(name), attributes, size};
}

bool HasWildcard(std::wstring_view mask) { return mask.find_first_of(L"*?") != std::wstring_view::npos; }

// Opens a regular file for reading. No link at its name is followed, and a pipe
// or a device is never waited on: opening without blocking returns at once, and
// fstat tells what was opened before anything is read.
bool OpenRegular(const std::string& unixPath, ScopedFd& fd, struct stat& st) {
  fd = ScopedFd(open(unixPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.IsValid()) return errno == ELOOP ? FailWith(kErrorBadFileType) : FailForPath(unixPath);
  if (fstat(fd.Get(), &st) != 0) return FailForPath(unixPath);
  if (S_ISDIR(st.st_mode)) return FailWith(kErrorAccessDenied);
  if (!S_ISREG(st.st_mode)) return FailWith(kErrorBadFileType);
  return true;
}

// Opens a file to replace its content. A file held by OpenShared is refused, as
// Windows refuses a second writer: every writer here takes the same lock.
bool OpenToReplace(const std::string& unixPath, int extraFlags, ScopedFd& fd) {
  fd = ScopedFd(open(unixPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | extraFlags, 0666));
  if (!fd.IsValid()) return errno == EEXIST ? FailWith(kErrorFileExists) : FailForPath(unixPath);
  if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return FailWith(kErrorSharingViolation);
  return ftruncate(fd.Get(), 0) == 0 || FailWith(posix::ErrorFromErrno(errno));
}

bool IsUnixPath(const std::wstring& path) { return !path.empty() && path[0] == L'/'; }

bool IsPlainRelative(const std::wstring& path) {
  return !path.empty() && path[0] != L'\\' && path[0] != L'/' && (path.size() < 2 || path[1] != L':');
}

// A Unix path folded by the Unix rules, "/" kept as its separator.
std::wstring UnixFullPath(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
  return UnixNameToWide(std::filesystem::path(WideToUnixName(path)).lexically_normal().string());
}

// Opens an existing entry for reading without following a link at its last
// component and without waiting on a pipe; only a regular file is kept.
ScopedFd OpenRegular(const std::string& unixPath, struct stat& st) {
  ScopedFd fd(open(unixPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.IsValid()) {
    if (errno == ELOOP) {
      SetLastErrorCode(kErrorAccessDenied);
    } else {
      SetErrorForPath(errno, unixPath);
    }
    return fd;
  }
  if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    SetLastErrorCode(kErrorAccessDenied);
    return ScopedFd();
  }
  return fd;
}

// The write lock on the whole file that every appender of a shared file takes. It
// belongs to the open file, not the process, so two holders in one process
// exclude each other as two processes do; it is advisory, so readers go on.
class AppendLock {
 public:
  explicit AppendLock(int fd) : fd_(fd) {
    // Waited for a bounded time: a holder that never lets go costs one entry.
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      if (Set(F_WRLCK)) {
        held_ = true;
        busy_ = false;
        return;
      }
      // A file system without such locks still gets its appends, unguarded.
      if (errno != EAGAIN && errno != EACCES && errno != EINTR) {
        busy_ = false;
        return;
      }
      usleep(kPauseMicroseconds);
    }
  }
  ~AppendLock() {
    if (held_) Set(F_UNLCK);
  }
  AppendLock(const AppendLock&) = delete;
  AppendLock& operator=(const AppendLock&) = delete;

  // False when another holder kept the lock for the whole wait.
  bool Acquired() const { return !busy_; }

 private:
  static constexpr int kAttempts = 400;
  static constexpr useconds_t kPauseMicroseconds = 5000;

  bool Set(short type) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return fcntl(fd_, F_OFD_SETLK, &lock) == 0;
  }

  int fd_;
  bool held_ = false;
  bool busy_ = true;
};

class PosixSharedFile : public SharedFile {
 public:
  explicit PosixSharedFile(int fd) : fd_(fd) {}

  bool Append(std::string_view bytes) override {
    AppendLock lock(fd_.Get());
    if (!lock.Acquired()) return FailWith(kErrorSharingViolation);
    off_t end = lseek(fd_.Get(), 0, SEEK_END);
    if (end < 0) return false;
    if (posix::WriteBytes(fd_.Get(), bytes)) return true;
    // Take back a partial entry so that the file stays a sequence of whole ones;
    // when even that fails there is nothing more to do here.
    [[maybe_unused]] int ignored = ftruncate(fd_.Get(), end);
    return false;
  }
  std::optional<std::string> ReadAll() override { return posix::ReadBytes(fd_.Get()); }
  std::optional<FileStart> ReadTail(size_t maxBytes) override {
    struct stat st;
    if (fstat(fd_.Get(), &st) != 0) return std::nullopt;
    const auto size = static_cast<uint64_t>(st.st_size);
    off_t offset = size > maxBytes ? static_cast<off_t>(size - maxBytes) : 0;
    FileStart tail;
    tail.complete = offset == 0;
    char buffer[65536];
    // What another holder appends meanwhile may be cut off, never half an entry
    // read past the bound.
    while (tail.bytes.size() < maxBytes) {
      const size_t wanted = std::min(sizeof(buffer), maxBytes - tail.bytes.size());
      ssize_t n = pread(fd_.Get(), buffer, wanted, offset);
      if (n < 0) {
        if (errno == EINTR) continue;
        return std::nullopt;
      }
      if (n == 0) break;
      tail.bytes.append(buffer, static_cast<size_t>(n));
      offset += n;
    }
    return tail;
  }
  bool Truncate() override {
    AppendLock lock(fd_.Get());
    return lock.Acquired() && ftruncate(fd_.Get(), 0) == 0;
  }

 private:
  ScopedFd fd_;
};

}  // namespace

uint32_t PosixFileSystem::Attributes(const std::wstring& path) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return kInvalidAttributes;
  if (!Lstat(*unix, st)) {
    SetErrorForPath(errno, *unix);
    return kInvalidAttributes;
  }
  return posix::AttributesOf(*unix, st);
}

bool PosixFileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return false;
  if (!Lstat(*unix, st)) return FailForPath(*unix);
  return posix::ApplyAttributes(*unix, st, attributes);
}

bool PosixFileSystem::Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) {
  std::wstring folder = FolderPart(pattern);
  std::wstring mask = pattern.substr(folder.size());
  if (folder.empty()) return FailWith(kErrorPathNotFound);
  if (mask.empty()) return FailWith(kErrorFileNotFound);
  if (!HasWildcard(mask)) {
    // One name: FindFirstFileW looks it up, and so does this, instead of reading a
    // folder that may hold many thousands of entries for each file asked about.
    std::optional<FindData> entry = Entry(pattern);
    if (!entry) return false;
    visit(*entry);
    return true;
  }
  return ListMatching(folder, mask, true, visit);
}

bool PosixFileSystem::List(const std::wstring& folder, const std::function<bool(const FindData&)>& visit) {
  if (folder.empty()) return FailWith(kErrorPathNotFound);
  return ListMatching(folder, L"*", false, visit);
}

bool PosixFileSystem::ListMatching(const std::wstring& folder, const std::wstring& mask, bool withDots,
                                   const std::function<bool(const FindData&)>& visit) {
  TOpenFolder open;
  if (!open.Open(folder)) return false;
  // Names first, then the visits: the visitor may rename or delete entries.
  std::vector<std::string> names;
  bool read = open.ReadNames([&](std::string_view name) {
    if (mask == L"*" || WildcardMatch(mask, UnixNameToWide(std::string(name)))) names.emplace_back(name);
  });
  // A stick that fails while its folder is read: as FindNextFileW, whatever was
  // read is given, and the error is what the caller sees.
  uint32_t readError = read ? 0 : posix::ErrorFromErrno(errno);

  posix::TDosBitsReader bits;
  bool found = false;
  bool driveRoot = folder[0] != L'/' && RootLength(PlainPath(folder)) == PlainPath(folder).size();
  if (withDots && !driveRoot) {
    // "." and ".." as FindFirstFileW lists them in every folder but a drive root.
    for (const char* dot : {".", ".."}) {
      if (!WildcardMatch(mask, UnixNameToWide(dot))) continue;
      std::optional<FindData> data = EntryOf(open, dot, bits);
      if (!data) continue;
      data->size = 0;
      found = true;
      if (!visit(*data)) return true;
    }
  }
  for (const std::string& name : names) {
    std::optional<FindData> data = EntryOf(open, name, bits);
    if (!data) continue;
    found = true;
    if (!visit(*data)) return true;
  }
  if (!withDots && !driveRoot) found = true;  // Find would have matched the dots
  if (readError != 0) return FailWith(readError);
  return found || FailWith(kErrorFileNotFound);
}

std::optional<FindData> PosixFileSystem::Entry(const std::wstring& path) {
  std::wstring plain = PlainPath(path);
  if (plain.empty() || plain.back() == L'\\' || plain.back() == L'/' || RootLength(plain) == plain.size()) {
    SetLastErrorCode(kErrorFileNotFound);
    return std::nullopt;
  }
  std::optional<std::string> unix = Resolve(path);
  if (!unix) return std::nullopt;
  struct stat st;
  if (!Lstat(*unix, st)) {
    SetErrorForPath(errno, *unix);
    return std::nullopt;
  }
  uint64_t size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
  return FindData{UnixNameToWide(unix->substr(unix->find_last_of('/') + 1)), posix::AttributesOf(*unix, st), size};
}

bool PosixFileSystem::Move(const std::wstring& from, const std::wstring& to) {
  std::optional<std::string> source = Resolve(from);
  std::optional<std::string> target = source ? Resolve(to) : std::nullopt;
  struct stat sourceStat, targetStat;
  if (!target) return false;
  if (!Lstat(*source, sourceStat)) return FailForPath(*source);
  if (!Lstat(*target, targetStat)) return RenameNoReplace(*source, *target);

  bool sameEntry = sourceStat.st_dev == targetStat.st_dev && sourceStat.st_ino == targetStat.st_ino &&
                   ParentFolder(*source) == ParentFolder(*target);
  if (!sameEntry) return FailWith(kErrorAlreadyExists);
  // Only the letter case changes: the name as given replaces the one found.
  std::wstring full = IsLiteralPath(to) ? to : FullPathName(to, L"");
  std::string renamed = ParentFolder(*target) + "/" + WideToUnixName(full.substr(FolderPart(full).size()));
  if (renamed == *source) return true;
  return RenameNoReplace(*source, renamed);
}

bool PosixFileSystem::Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  std::optional<std::string> source = Resolve(from);
  std::optional<std::string> target = source ? Resolve(to) : std::nullopt;
  if (!target) return false;
  // A pipe named like a finding would wait for a writer, and a link may lead anywhere.
  ScopedFd in;
  struct stat sourceStat, targetStat;
  if (!OpenRegular(*source, in, sourceStat)) return false;

  bool existed = Lstat(*target, targetStat);
  if (existed) {
    if (failIfExists) return FailWith(kErrorFileExists);
    if (S_ISDIR(targetStat.st_mode) || IsReadOnlyFile(targetStat)) return FailWith(kErrorAccessDenied);
    if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) {
      return FailWith(kErrorSharingViolation);  // a file copied onto itself
    }
  }
  ScopedFd out;
  if (!OpenToReplace(*target, failIfExists ? O_EXCL : 0, out)) return false;

  if (!posix::CopyBytes(in.Get(), out.Get())) {
    uint32_t error = posix::ErrorFromErrno(errno);
    if (!existed) unlink(target->c_str());
    return FailWith(error);
  }
  // CopyFileW gives the copy the source's attributes; a file system that cannot
  // store them still gets the bytes.
  fchmod(out.Get(), sourceStat.st_mode & 07777);
  struct stat copied;
  if (fstat(out.Get(), &copied) == 0) posix::WriteDosBits(*target, copied, posix::ReadDosBits(*source, sourceStat));
  return true;
}

bool PosixFileSystem::Delete(const std::wstring& path) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return false;
  if (!Lstat(*unix, st)) return FailForPath(*unix);
  if (S_ISDIR(st.st_mode) || IsReadOnlyFile(st)) return FailWith(kErrorAccessDenied);
  return unlink(unix->c_str()) == 0 || FailForPath(*unix);
}

bool PosixFileSystem::CreateFolder(const std::wstring& path) {
  std::optional<std::string> unix = Resolve(path);
  if (!unix) return false;
  return mkdir(unix->c_str(), 0777) == 0 || FailForPath(*unix);
}

bool PosixFileSystem::RemoveFolder(const std::wstring& path) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return false;
  if (!Lstat(*unix, st)) return FailForPath(*unix);
  if (S_ISLNK(st.st_mode)) {
    // A link to a folder goes like a folder; the folder it leads to stays.
    struct stat target;
    if (stat(unix->c_str(), &target) != 0 || !S_ISDIR(target.st_mode)) return FailWith(kErrorDirectory);
    return unlink(unix->c_str()) == 0 || FailForPath(*unix);
  }
  if (!S_ISDIR(st.st_mode)) return FailWith(kErrorDirectory);
  if (rmdir(unix->c_str()) == 0) return true;
  return FailWith(errno == ENOTEMPTY || errno == EEXIST ? kErrorDirNotEmpty : posix::ErrorFromErrno(errno));
}

std::wstring PosixFileSystem::FullPath(const std::wstring& path, const std::wstring& base) {
  if (IsUnixPath(path)) return UnixFullPath(path);
  if (IsUnixPath(base) && IsPlainRelative(path)) return UnixFullPath(base + path);
  return FullPathName(path, base);
}

std::optional<std::string> PosixFileSystem::ReadAll(const std::wstring& path) {
  std::optional<std::string> unix = Resolve(path);
  if (!unix) return std::nullopt;
  // Without blocking, and regular files only: a pipe would never end.
  ScopedFd fd(open(unix->c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat st;
  if (!fd.IsValid()) {
    FailForPath(*unix);
    return std::nullopt;
  }
  if (fstat(fd.Get(), &st) != 0) {
    FailForPath(*unix);
    return std::nullopt;
  }
  if (!S_ISREG(st.st_mode)) {
    SetLastErrorCode(S_ISDIR(st.st_mode) ? kErrorAccessDenied : kErrorBadFileType);
    return std::nullopt;
  }
  std::optional<std::string> bytes = posix::ReadBytes(fd.Get());
  if (!bytes) SetLastErrorCode(posix::ErrorFromErrno(errno));
  return bytes;
}

std::optional<FileStart> PosixFileSystem::ReadRegular(const std::wstring& path, size_t limit) {
  std::optional<std::string> unix = Resolve(path);
  ScopedFd fd;
  struct stat st;
  if (!unix || !OpenRegular(*unix, fd, st)) return std::nullopt;
  // One byte more than asked tells whether the file goes on.
  std::optional<std::string> bytes = posix::ReadBytes(fd.Get(), limit == SIZE_MAX ? limit : limit + 1);
  if (!bytes) {
    SetLastErrorCode(posix::ErrorFromErrno(errno));
    return std::nullopt;
  }
  FileStart start;
  start.complete = bytes->size() <= limit;
  if (!start.complete) bytes->resize(limit);
  start.bytes = std::move(*bytes);
  return start;
}

bool PosixFileSystem::WriteAll(const std::wstring& path, std::string_view bytes) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return false;
  if (Lstat(*unix, st) && (S_ISDIR(st.st_mode) || IsReadOnlyFile(st))) return FailWith(kErrorAccessDenied);
  ScopedFd fd;
  if (!OpenToReplace(*unix, 0, fd)) return false;
  return posix::WriteBytes(fd.Get(), bytes) || FailWith(posix::ErrorFromErrno(errno));
}

bool PosixFileSystem::CreateNew(const std::wstring& path, std::string_view bytes) {
  std::optional<std::string> unix = Resolve(path);
  if (!unix) return false;
  ScopedFd fd(open(unix->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.IsValid()) return errno == EEXIST ? FailWith(kErrorFileExists) : FailForPath(*unix);
  if (posix::WriteBytes(fd.Get(), bytes)) return true;
  uint32_t error = posix::ErrorFromErrno(errno);
  unlink(unix->c_str());
  return FailWith(error);
}

std::unique_ptr<SharedFile> PosixFileSystem::OpenShared(const std::wstring& path) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return nullptr;
  // A link planted under the name is not written through, nor is a pipe waited on.
  ScopedFd fd(open(unix->c_str(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
  if (!fd.IsValid()) {
    if (errno == ELOOP) {
      SetLastErrorCode(kErrorAccessDenied);
    } else {
      FailForPath(*unix);
    }
    return nullptr;
  }
  if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || IsReadOnlyFile(st)) {
    SetLastErrorCode(kErrorAccessDenied);
    return nullptr;
  }
  // Holders share this lock; WriteAll and Copy ask for it exclusively and are
  // refused, as Windows refuses a writer that would share nothing.
  if (flock(fd.Get(), LOCK_SH | LOCK_NB) != 0) {
    SetLastErrorCode(errno == EWOULDBLOCK ? kErrorSharingViolation : posix::ErrorFromErrno(errno));
    return nullptr;
  }
  return std::make_unique<PosixSharedFile>(fd.Release());
}

bool PosixFileSystem::CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) {
  std::optional<std::string> source = Resolve(from);
  std::optional<std::string> target = source ? Resolve(to) : std::nullopt;
  struct stat st;
  if (!target) return false;
  ScopedFd in = OpenRegular(*source, st);
  if (!in.IsValid()) return false;
  if (static_cast<uint64_t>(st.st_size) != size) return FailWith(kErrorInvalidData);
  ScopedFd out(open(target->c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!out.IsValid()) return errno == EEXIST ? FailWith(kErrorFileExists) : FailForPath(*target);
  if (posix::CopyExactly(in.Get(), out.Get(), size)) return true;
  uint32_t error = errno == EIO ? kErrorInvalidData : posix::ErrorFromErrno(errno);
  unlink(target->c_str());
  return FailWith(error);
}

std::optional<std::string> PosixFileSystem::ReadRegularWhole(const std::wstring& path, size_t maxBytes) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return std::nullopt;
  ScopedFd fd = OpenRegular(*unix, st);
  if (!fd.IsValid()) return std::nullopt;
  if (static_cast<uint64_t>(st.st_size) > maxBytes) {
    SetLastErrorCode(kErrorInvalidData);
    return std::nullopt;
  }
  std::optional<std::string> bytes = posix::ReadAtMost(fd.Get(), maxBytes);
  if (!bytes) SetLastErrorCode(errno == EFBIG ? kErrorInvalidData : posix::ErrorFromErrno(errno));
  return bytes;
}

bool PosixFileSystem::IsRegularFile(const std::wstring& path) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return false;
  if (!Lstat(*unix, st)) return FailForPath(*unix);
  return S_ISREG(st.st_mode) || FailWith(kErrorAccessDenied);
}

std::optional<int64_t> PosixFileSystem::WriteTime(const std::wstring& path) {
  std::optional<std::string> unix = Resolve(path);
  struct stat st;
  if (!unix) return std::nullopt;
  if (!Lstat(*unix, st)) {
    FailForPath(*unix);
    return std::nullopt;
  }
  return static_cast<int64_t>(st.st_mtime);
}

uint32_t PosixFileSystem::LastError() { return posix::LastErrorCode(); }

}  // namespace dw
