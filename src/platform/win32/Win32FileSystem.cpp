#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/WindowsSupport.h"

#include <algorithm>

#include "platform/CopyDigest.h"
#include "platform/PathRules.h"

namespace dw {

using win32::ScopedFindHandle;
using win32::ScopedKernelHandle;

namespace {

bool WriteBytes(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

std::optional<std::string> ReadBytes(HANDLE file) {
  std::string content;
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof(buffer), &read, nullptr)) return std::nullopt;
    if (read == 0) return content;
    content.append(buffer, read);
  }
}

// Up to limit bytes from the current position; false on a read error.
bool ReadUpTo(HANDLE file, size_t limit, std::string& content) {
  char buffer[65536];
  while (content.size() < limit) {
    DWORD wanted = static_cast<DWORD>(std::min(sizeof(buffer), limit - content.size()));
    DWORD read = 0;
    if (!ReadFile(file, buffer, wanted, &read, nullptr)) return false;
    if (read == 0) return true;
    content.append(buffer, read);
  }
  return true;
}

bool SeekTo(HANDLE file, LONGLONG offset, DWORD method, LONGLONG* position = nullptr) {
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(file, distance, &result, method)) return false;
  if (position) *position = result.QuadPart;
  return true;
}

HANDLE OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
  return CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

// The path an open handle leads to, without its "\\?\" prefix; empty on failure.
std::wstring FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  if (length >= path.size()) {
    path.resize(length + 1);
    length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
  }
  if (length == 0 || length >= path.size()) return L"";
  path.resize(length);
  return path.rfind(L"\\\\?\\", 0) == 0 ? path.substr(4) : path;
}

// Whether an open handle is a regular file on a disk and not a link, with its
// size. FILE_FLAG_OPEN_REPARSE_POINT gives the link itself on Windows, whose
// attributes then tell. Wine follows a Linux link to a file whatever the flag and
// lists it as the file it leads to, so the handle must also lead to the entry of
// that name in that folder and nowhere else.
bool IsPlainFile(HANDLE file, const std::wstring& path, uint64_t& size) {
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & kNotPlain)) {
    return false;
  }
  WIN32_FIND_DATAW entry;
  ScopedFindHandle find(FindFirstFileW(path.c_str(), &entry));
  if (!find || (entry.dwFileAttributes & kNotPlain)) return false;
  ScopedKernelHandle folder(CreateFileW(FolderPart(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  std::wstring folderPath = folder ? FinalPath(folder.Get()) : L"";
  std::wstring filePath = FinalPath(file);
  if (folderPath.empty() || filePath.empty()) return false;
  if (folderPath.back() != L'\\') folderPath += L'\\';
  if (!PathNamesEqual(filePath, folderPath + entry.cFileName)) return false;
  size = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return true;
}

// Opens an existing regular file for reading, never through a link; the copy's
// source is shared for reading only, so nobody changes it meanwhile.
ScopedKernelHandle OpenRegular(const std::wstring& path, uint64_t& size) {
  ScopedKernelHandle file(OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN));
  if (!file) return file;
  if (!IsPlainFile(file.Get(), path, size)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return ScopedKernelHandle();
  }
  return file;
}

bool ReadChunk(HANDLE file, char* buffer, DWORD size, DWORD& read) {
  read = 0;
  return ReadFile(file, buffer, size, &read, nullptr);
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

// Copies exactly size bytes of in, which must end there, onto out, flushes out
// and reads it back.
bool CopyExactly(HANDLE in, HANDLE out, uint64_t size) {
  char buffer[65536];
  TCopyDigest written;
  DWORD read = 0;
  for (uint64_t left = size; left > 0; left -= read) {
    if (!ReadChunk(in, buffer, static_cast<DWORD>(std::min<uint64_t>(sizeof(buffer), left)), read)) return false;
    if (read == 0) return Fail(ERROR_INVALID_DATA);  // shorter than it was listed
    std::string_view chunk(buffer, read);
    if (!WriteBytes(out, chunk)) return false;
    written.Add(chunk);
  }
  if (!ReadChunk(in, buffer, 1, read)) return false;
  if (read > 0) return Fail(ERROR_INVALID_DATA);  // it grew while it was copied
  if (!FlushFileBuffers(out) || !SeekTo(out, 0, FILE_BEGIN)) return false;

  TCopyDigest readBack;
  for (;;) {
    if (!ReadChunk(out, buffer, sizeof(buffer), read)) return false;
    if (read == 0) break;
    readBack.Add(std::string_view(buffer, read));
  }
  return readBack == written || Fail(ERROR_INVALID_DATA);
}

// Deletes a file through its own handle, so that only the file made here goes.
void DeleteOpenFile(ScopedKernelHandle& file, const std::wstring& path) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  bool marked = SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof(disposition));
  file.Reset();
  if (!marked) DeleteFileW(path.c_str());
}

// The one byte that every appender of a shared file locks, far past any real
// content: Windows locks are mandatory, and readers must not be stopped.
constexpr DWORD kAppendLockOffsetHigh = 0x7FFFFFFF;
constexpr int kAppendLockAttempts = 400;
constexpr DWORD kAppendLockPauseMs = 5;

class AppendLock {
 public:
  explicit AppendLock(HANDLE file) : file_(file) {
    // Waited for a bounded time: a holder that never lets go costs one entry.
    for (int attempt = 0; attempt < kAppendLockAttempts; ++attempt) {
      OVERLAPPED region = Region();
      if (LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &region)) {
        held_ = true;
        return;
      }
      if (GetLastError() != ERROR_LOCK_VIOLATION) return;
      Sleep(kAppendLockPauseMs);
    }
  }
  ~AppendLock() {
    if (!held_) return;
    OVERLAPPED region = Region();
    UnlockFileEx(file_, 0, 1, 0, &region);
  }
  AppendLock(const AppendLock&) = delete;
  AppendLock& operator=(const AppendLock&) = delete;

  bool Held() const { return held_; }

 private:
  static OVERLAPPED Region() {
    OVERLAPPED region = {};
    region.OffsetHigh = kAppendLockOffsetHigh;
    return region;
  }

  HANDLE file_;
  bool held_ = false;
};

class Win32SharedFile : public SharedFile {
 public:
  explicit Win32SharedFile(HANDLE file) : file_(file) {}

  bool Append(std::string_view bytes) override {
    AppendLock lock(file_.Get());
    if (!lock.Held()) return Fail(ERROR_SHARING_VIOLATION);
    LONGLONG end = 0;
    if (!SeekTo(file_.Get(), 0, FILE_END, &end)) return false;
    if (WriteBytes(file_.Get(), bytes)) return true;
    // Take back a partial entry so that the file stays a sequence of whole ones.
    if (SeekTo(file_.Get(), end, FILE_BEGIN)) SetEndOfFile(file_.Get());
    return false;
  }
  std::optional<std::string> ReadAll() override {
    if (!SeekTo(file_.Get(), 0, FILE_BEGIN)) return std::nullopt;
    return ReadBytes(file_.Get());
  }
  std::optional<FileStart> ReadTail(size_t maxBytes) override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.Get(), &size) || size.QuadPart < 0) return std::nullopt;
    const auto length = static_cast<uint64_t>(size.QuadPart);
    const LONGLONG start = length > maxBytes ? static_cast<LONGLONG>(length - maxBytes) : 0;
    if (!SeekTo(file_.Get(), start, FILE_BEGIN)) return std::nullopt;
    FileStart tail;
    tail.complete = start == 0;
    if (!ReadUpTo(file_.Get(), maxBytes, tail.bytes)) return std::nullopt;
    return tail;
  }
  bool Truncate() override {
    AppendLock lock(file_.Get());
    return lock.Held() && SeekTo(file_.Get(), 0, FILE_BEGIN) && SetEndOfFile(file_.Get());
  }

 private:
  ScopedKernelHandle file_;
};

}  // namespace

uint32_t Win32FileSystem::Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool Win32FileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
  return SetFileAttributesW(path.c_str(), attributes);
}

bool Win32FileSystem::Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) {
  // Without short names (nothing here reads them, and each costs a look-up in the
  // volume) and in large batches: a listing's cost is then the file system's own.
  // Entry keeps FindFirstFileW, whose short names tell the entry asked for.
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
  if (!find) return false;
  do {
    uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    if (!visit(FindData{data.cFileName, data.dwFileAttributes, size})) break;
  } while (FindNextFileW(find.Get(), &data));
  return true;
}

std::optional<FindData> Win32FileSystem::Entry(const std::wstring& path) {
  // A wildcard would make this a search; no name on a Windows volume holds one.
  // The name asked for is the last one of the path as Windows reads it.
  const std::wstring asked = IsLiteralPath(path) ? path : FullPathName(path, L"");
  size_t nameStart = asked.find_last_of(L"\\/");
  std::wstring_view name = std::wstring_view(asked).substr(nameStart == std::wstring::npos ? 0 : nameStart + 1);
  if (name.empty() || name.find_first_of(L"*?") != std::wstring_view::npos) {
    SetLastError(ERROR_INVALID_NAME);
    return std::nullopt;
  }
  // Even so FindFirstFileW matches as DOS did: "x." also finds "x". Only the entry
  // of that very name (or of that short name) is the one asked for.
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(FindFirstFileW(path.c_str(), &data));
  if (!find) return std::nullopt;
  do {
    if (PathNamesEqual(data.cFileName, name) || PathNamesEqual(data.cAlternateFileName, name)) {
      uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      return FindData{data.cFileName, data.dwFileAttributes, size};
    }
  } while (FindNextFileW(find.Get(), &data));
  SetLastError(ERROR_FILE_NOT_FOUND);
  return std::nullopt;
}

bool Win32FileSystem::Move(const std::wstring& from, const std::wstring& to) {
  return MoveFileW(from.c_str(), to.c_str());
}

bool Win32FileSystem::Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  return CopyFileW(from.c_str(), to.c_str(), failIfExists);
}

bool Win32FileSystem::Delete(const std::wstring& path) { return DeleteFileW(path.c_str()); }

bool Win32FileSystem::CreateFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr); }

bool Win32FileSystem::RemoveFolder(const std::wstring& path) { return RemoveDirectoryW(path.c_str()); }

std::wstring Win32FileSystem::FullPath(const std::wstring& path, const std::wstring& base) {
  // Joined here rather than through the current folder, which is the whole
  // process's and may change under another thread.
  std::wstring joined = CombineWithBase(path, base);
  if (RootLength(joined) == 0) {
    SetLastError(ERROR_INVALID_NAME);
    return {};
  }
  DWORD needed = GetFullPathNameW(joined.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  DWORD length = GetFullPathNameW(joined.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return {};
  full.resize(length);
  return full;
}

std::optional<std::string> Win32FileSystem::ReadAll(const std::wstring& path) {
  // Others' write access is allowed: the log is read while it is held open.
  ScopedKernelHandle file(OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
  if (!file) return std::nullopt;
  return ReadBytes(file.Get());
}

std::optional<FileStart> Win32FileSystem::ReadRegular(const std::wstring& path, size_t limit) {
  // The link itself is opened, not what it leads to, and is then refused.
  ScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.Get(), &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
    SetLastError(ERROR_BAD_FILE_TYPE);
    return std::nullopt;
  }
  FileStart start;
  // One byte more than asked tells whether the file goes on.
  if (!ReadUpTo(file.Get(), limit == SIZE_MAX ? limit : limit + 1, start.bytes)) return std::nullopt;
  start.complete = start.bytes.size() <= limit;
  if (!start.complete) start.bytes.resize(limit);
  return start;
}

bool Win32FileSystem::WriteAll(const std::wstring& path, std::string_view bytes) {
  // Not CREATE_ALWAYS: it refuses an existing hidden or system file.
  ScopedKernelHandle file(OpenFile(path, GENERIC_WRITE, 0, OPEN_ALWAYS));
  return file && WriteBytes(file.Get(), bytes) && SetEndOfFile(file.Get());
}

bool Win32FileSystem::CreateNew(const std::wstring& path, std::string_view bytes) {
  ScopedKernelHandle file(OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW));
  if (!file) return false;
  if (WriteBytes(file.Get(), bytes)) return true;
  DWORD error = GetLastError();
  file.Reset();
  DeleteFileW(path.c_str());
  SetLastError(error);
  return false;
}

std::unique_ptr<SharedFile> Win32FileSystem::OpenShared(const std::wstring& path) {
  // Other holders may write too (each append takes the lock); WriteAll, which
  // shares nothing, is refused while any holder has it open. A new file is made
  // with CREATE_NEW rather than OPEN_ALWAYS: Wine would otherwise create the file
  // that a dangling Linux link under the name leads to.
  constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE;
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
  ScopedKernelHandle file(OpenFile(path, kAccess, kShare, CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT));
  if (!file && GetLastError() == ERROR_FILE_EXISTS) {
    file = ScopedKernelHandle(OpenFile(path, kAccess, kShare, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT));
  }
  uint64_t size = 0;
  if (!file) return nullptr;
  if (!IsPlainFile(file.Get(), path, size)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return std::make_unique<Win32SharedFile>(file.Release());
}

bool Win32FileSystem::CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) {
  uint64_t actual = 0;
  ScopedKernelHandle in = OpenRegular(from, actual);
  if (!in) return false;
  if (actual != size) return Fail(ERROR_INVALID_DATA);
  ScopedKernelHandle out(
      OpenFile(to, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_NEW, FILE_FLAG_OPEN_REPARSE_POINT));
  if (!out) return false;
  if (CopyExactly(in.Get(), out.Get(), size)) return true;
  DWORD error = GetLastError();
  DeleteOpenFile(out, to);
  return Fail(error);
}

std::optional<std::string> Win32FileSystem::ReadRegularWhole(const std::wstring& path, size_t maxBytes) {
  uint64_t size = 0;
  ScopedKernelHandle file = OpenRegular(path, size);
  if (!file) return std::nullopt;
  if (size > maxBytes || size > MAXDWORD) {
    SetLastError(ERROR_INVALID_DATA);
    return std::nullopt;
  }
  std::string content(static_cast<size_t>(size), '\0');
  DWORD read = 0;
  if (size == 0) return content;
  if (!ReadChunk(file.Get(), content.data(), static_cast<DWORD>(size), read)) return std::nullopt;
  if (read != size) {
    SetLastError(ERROR_INVALID_DATA);
    return std::nullopt;
  }
  return content;
}

bool Win32FileSystem::IsRegularFile(const std::wstring& path) {
  ScopedKernelHandle file(OpenFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT));
  uint64_t size = 0;
  if (!file) return false;
  if (IsPlainFile(file.Get(), path, size)) return true;
  SetLastError(ERROR_ACCESS_DENIED);
  return false;
}

std::optional<int64_t> Win32FileSystem::WriteTime(const std::wstring& path) {
  // The attributes call reads a link's own times, never its target's.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  ULARGE_INTEGER ticks;
  ticks.LowPart = data.ftLastWriteTime.dwLowDateTime;
  ticks.HighPart = data.ftLastWriteTime.dwHighDateTime;
  constexpr uint64_t kTicksPerSecond = 10000000, kSecondsFrom1601To1970 = 11644473600;
  return static_cast<int64_t>(ticks.QuadPart / kTicksPerSecond) - static_cast<int64_t>(kSecondsFrom1601To1970);
}

uint32_t Win32FileSystem::LastError() { return GetLastError(); }

}  // namespace dw
