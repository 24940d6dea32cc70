// The operating-system services that the portable code uses. Each speaks Windows
// semantics on every OS: paths are Windows paths ("e:\dir\file", folders end with
// "\"), attributes are DOS attribute bits, and failures give a default instead of
// throwing. win32/ implements them with the real API, posix/ for Linux.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dw {

constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrReparsePoint = 0x400;
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

// Error codes that callers look at, with their Win32 values.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidData = 13;
constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorBadFileType = 222;  // not a regular file: a pipe, a device, a link

// One directory entry as FindFirstFileW/FindNextFileW report it.
struct FindData {
  std::wstring name;
  uint32_t attributes = 0;
  uint64_t size = 0;
};

// The start (or the end) of a file, read up to a bound.
struct FileStart {
  std::string bytes;
  bool complete = false;  // bytes hold the whole file
};

// An open file that several threads and processes append to (the log): every
// holder may append, others may read it, and nobody may replace or truncate it
// through WriteAll while it is held.
class SharedFile {
 public:
  virtual ~SharedFile() = default;
  // Appends at the current end of the file, under a lock that every holder takes
  // (waited for a bounded time); false when not all bytes were written (a partial
  // write is then taken back, so the file holds whole appends only).
  virtual bool Append(std::string_view bytes) = 0;
  virtual std::optional<std::string> ReadAll() = 0;
  // The last maxBytes bytes at most; complete when they begin at the file's start.
  virtual std::optional<FileStart> ReadTail(size_t maxBytes) = 0;
  virtual bool Truncate() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // GetFileAttributesW: kInvalidAttributes when the path cannot be read.
  virtual uint32_t Attributes(const std::wstring& path) = 0;
  virtual bool SetAttributes(const std::wstring& path, uint32_t attributes) = 0;
  // FindFirstFileW/FindNextFileW on a pattern such as "e:\*" or "e:\*.lnk", in
  // file-system order. visit returns false to stop. Returns false when nothing
  // could be enumerated (missing folder, no match).
  virtual bool Find(const std::wstring& pattern, const std::function<bool(const FindData&)>& visit) = 0;
  // Find(folder + L"*") without the "." and ".." entries, which a walk never needs
  // (folder ends with "\"): the same entries, the same result, the same errors.
  virtual bool List(const std::wstring& folder, const std::function<bool(const FindData&)>& visit);
  // The one entry that path names, as its folder lists it (FindFirstFileW on a name
  // without wildcards): the name as stored, and the attributes of the entry itself,
  // a link not followed. It is looked up directly, never by listing the folder.
  // Nothing for a drive root, or when there is no such entry.
  virtual std::optional<FindData> Entry(const std::wstring& path) = 0;
  // MoveFileW: fails when the target exists.
  virtual bool Move(const std::wstring& from, const std::wstring& to) = 0;
  // CopyFileW.
  virtual bool Copy(const std::wstring& from, const std::wstring& to, bool failIfExists) = 0;
  virtual bool Delete(const std::wstring& path) = 0;
  virtual bool CreateFolder(const std::wstring& path) = 0;
  virtual bool RemoveFolder(const std::wstring& path) = 0;
  // GetFullPathNameW's rules: relative paths against base (a folder ending with
  // "\"), "." and ".." folded, trailing dots and blanks of the last segment dropped.
  virtual std::wstring FullPath(const std::wstring& path, const std::wstring& base) = 0;
  virtual std::optional<std::string> ReadAll(const std::wstring& path) = 0;
  // At most limit bytes from the start of a regular file. A link at path is not
  // followed, and a pipe or a device is refused (kErrorBadFileType) without ever
  // waiting on it.
  virtual std::optional<FileStart> ReadRegular(const std::wstring& path, size_t limit) = 0;
  // Creates or truncates the file, then writes bytes.
  virtual bool WriteAll(const std::wstring& path, std::string_view bytes) = 0;
  // Creates the file only if no entry of that name exists (CREATE_NEW), with bytes.
  virtual bool CreateNew(const std::wstring& path, std::string_view bytes) = 0;
  // Opens or creates a shared file, never through a link: a link, a folder, a
  // device or a pipe under that name is refused.
  virtual std::unique_ptr<SharedFile> OpenShared(const std::wstring& path) = 0;
  // Copies a regular file into a new file (CREATE_NEW), never through a link at
  // either end: from must be a regular file of exactly size bytes (a link, a
  // folder, a device, a pipe or a file of another size is refused). The copy is
  // flushed and read back before it counts. On failure nothing is left at to but
  // what was there before (an existing entry gives kErrorFileExists).
  virtual bool CopyNew(const std::wstring& from, const std::wstring& to, uint64_t size) = 0;
  // The whole content of a regular file of at most maxBytes bytes, never read through a
  // link; nothing for a link, a folder, a device, a pipe or a longer file.
  virtual std::optional<std::string> ReadRegularWhole(const std::wstring& path, size_t maxBytes) = 0;
  // Whether path names a regular file itself: not a link (nor what one leads to),
  // a folder, a device or a pipe.
  virtual bool IsRegularFile(const std::wstring& path) = 0;
  // When the entry path names was last written, in seconds since 1970 (UTC), never
  // through a link; nothing when it cannot be read.
  virtual std::optional<int64_t> WriteTime(const std::wstring& path) { return std::nullopt; }
  // The error code of the last failed call on this thread (GetLastError).
  virtual uint32_t LastError() = 0;
};

struct VolumeInfo {
  std::wstring name;
  std::wstring fileSystem;
  uint32_t serial = 0;
  uint32_t maxComponentLength = 0;
  uint32_t flags = 0;
};

constexpr uint32_t kDriveUnknown = 0;
constexpr uint32_t kDriveNoRootDir = 1;
constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;
constexpr uint32_t kDriveCdRom = 5;
constexpr uint32_t kDriveRamDisk = 6;

class Volumes {
 public:
  virtual ~Volumes() = default;
  virtual uint32_t LogicalDrives() = 0;                      // GetLogicalDrives
  virtual uint32_t DriveType(const std::wstring& root) = 0;  // GetDriveTypeW
  // GetVolumeInformationW on a root such as "E:\"; false (with LastError set) on failure.
  virtual bool VolumeInformation(const std::wstring& root, VolumeInfo& info) = 0;
  // GetDiskFreeSpaceExW; false when unavailable.
  virtual bool DiskSpace(const std::wstring& root, int64_t& total, int64_t& freeForCaller) = 0;
  // IOCTL_STORAGE_QUERY_PROPERTY on a volume device such as "\\.\e:": the bus type,
  // 0 when it cannot be obtained. No critical-error dialog is shown meanwhile.
  virtual uint32_t StorageBusType(const std::wstring& device) = 0;
  // DeviceIoControl(controlCode) without buffers on the device; true when it succeeded.
  virtual bool DeviceCheck(const std::wstring& device, uint32_t controlCode) = 0;
  // The error code of the last failed call on this thread (GetLastError).
  virtual uint32_t LastError() = 0;
};

// Owners of started programs and message boxes.
enum class OwnerWindow { None, Application, ControlPanel };

constexpr int kCsidlAppData = 26;
constexpr int kCsidlCommonAppData = 35;

class System {
 public:
  virtual ~System() = default;
  // SHGetSpecialFolderPathW without creation; empty on failure. No trailing "\".
  virtual std::wstring SpecialFolder(int csidl) = 0;
  virtual std::wstring SystemDirectory() = 0;  // GetSystemDirectoryW
  virtual std::optional<std::wstring> UserName() = 0;
  // The folder of the running program, ending with "\".
  virtual std::wstring ProgramFolder() = 0;
  // ShellExecuteW; true when it started what it was asked to.
  virtual bool Shell(OwnerWindow owner, const std::wstring& verb, const std::wstring& file,
                     const std::wstring& parameters, const std::wstring& directory, int show) = 0;
  // MessageBoxW owned by the control panel; the button id chosen.
  virtual int MessageDialog(const std::wstring& text, const std::wstring& caption, uint32_t type) = 0;
  // The local date and time in the user's short date and long time formats.
  virtual std::wstring LocalDateTimeText() = 0;
  // A moment (seconds since 1970, UTC) as LocalDateTimeText writes the present.
  virtual std::wstring DateTimeText(int64_t unixTime) = 0;
  virtual uint32_t TickCount() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
  // The system message text for an error code (FormatMessageW).
  virtual std::wstring ErrorMessage(uint32_t code) = 0;
  // The value of an environment variable of this process; nothing when it is not set.
  virtual std::optional<std::wstring> EnvironmentVariable(const std::wstring& name) = 0;
  // Conversion to and from the system's ANSI code page (Windows-1252 where the OS
  // has none); characters it cannot hold become its replacement character.
  virtual std::string ToAnsi(std::wstring_view text) = 0;
  virtual std::wstring FromAnsi(std::string_view bytes) = 0;
  virtual uint32_t AnsiCodePage() = 0;
  // The folder-browse dialog owned by the control panel, showing file-system
  // folders only; the folder picked, without a trailing "\" unless it is a root.
  // Nothing when the user cancels or there is no user interface.
  virtual std::optional<std::wstring> BrowseForFolder(const std::wstring& title) = 0;
};

// GetPrivateProfileStringW / WritePrivateProfileStringW.
class ProfileFiles {
 public:
  virtual ~ProfileFiles() = default;
  // At most bufferSize - 1 characters of the value are returned.
  virtual std::wstring ReadString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                                  const std::wstring& defaultValue, size_t bufferSize = 2048) = 0;
  virtual bool WriteString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                           const std::wstring& value) = 0;
};

// Where a policy value is read: the machine's policies (HKLM) or the user's (HKCU).
enum class PolicyScope { Machine, User };

// One value under Software\Policies\Drivewarden, as the registry holds it.
struct PolicyValue {
  enum class Type {
    Number,  // REG_DWORD
    Text,    // REG_SZ, cut at its first NUL
    Other,   // another type, a malformed value, or a text over the bound
  };
  Type type = Type::Other;
  uint32_t number = 0;
  std::wstring text;

  static PolicyValue Number(uint32_t number) { return {Type::Number, number, {}}; }
  static PolicyValue Text(std::wstring text) { return {Type::Text, 0, std::move(text)}; }
};

// The values that Group Policy or an MDM set for the program. What they mean is
// for the caller to decide; they are never written here.
class PolicyStore {
 public:
  virtual ~PolicyStore() = default;
  // The value of that name in the scope's policy key; nothing when the key or the
  // value does not exist. A text of more than maxChars characters is never read
  // whole: it comes back as Other.
  virtual std::optional<PolicyValue> Value(PolicyScope scope, const std::wstring& name, size_t maxChars) = 0;
};

// The window thread, as workers see it.
class MainThread {
 public:
  virtual ~MainThread() = default;
  // Runs fn on the window thread and waits for it; inline when already there.
  virtual void Invoke(const std::function<void()>& fn) = 0;
  // Runs fn on the window thread later, without waiting.
  virtual void Post(std::function<void()> fn) = 0;
  // Runs what is waiting for the window thread (called on it).
  virtual void ProcessMessages() = 0;
  virtual bool IsCurrent() = 0;
};

// The levels of the Windows event log (EVENTLOG_ERROR_TYPE and the others).
enum class EventLevel : uint16_t { Error = 1, Warning = 2, Information = 4 };

// The Application log of the system, under the program's event source. Reporting
// never fails loudly: the text log stays the record.
class EventLog {
 public:
  virtual ~EventLog() = default;
  // ReportEventW with the id of a message of the program's message table and the
  // strings that fill its %1, %2...; true when the system took the event.
  virtual bool Report(EventLevel level, uint32_t eventId, const std::vector<std::wstring>& strings) = 0;
};

struct Platform {
  FileSystem* fs = nullptr;
  Volumes* volumes = nullptr;
  System* system = nullptr;
  ProfileFiles* profile = nullptr;
  MainThread* mainThread = nullptr;
  PolicyStore* policies = nullptr;
  EventLog* events = nullptr;
};

// The process-wide services: the real backend unless a test installed others.
Platform& platform();
inline FileSystem& Fs() { return *platform().fs; }
inline Volumes& Vol() { return *platform().volumes; }
inline System& Sys() { return *platform().system; }
inline ProfileFiles& Profiles() { return *platform().profile; }
inline MainThread& Main() { return *platform().mainThread; }
inline PolicyStore& Policies() { return *platform().policies; }
inline EventLog& Events() { return *platform().events; }

// Replaces some services for the guard's lifetime (tests); null members keep the current one.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(const Platform& replacement);
  ~ScopedPlatform();
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform saved_;
};

// The real backend of this OS (defined in win32/ or posix/).
Platform& NativePlatform();

}  // namespace dw
