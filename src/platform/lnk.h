// The shortcut reader that rule 4 of the detection engine uses.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/ShellLinkFormat.h"

namespace dw {

// What the Shell reports about a shortcut, after resolving it.
struct TShellLink {
  std::wstring PathName;
  std::wstring Arguments;
  std::wstring Description;
  std::wstring WorkingDirectory;
  std::wstring IconLocation;
  int32_t IconIndex = 0;
  int32_t ShowCmd = 0;
  uint16_t HotKey = 0;
};

// Raised when a shortcut cannot be loaded or resolved; no partial result exists then.
class ShellLinkError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised when the shortcut file itself could not be read whole: it is larger than a
// shortcut can be, it is not a regular file (a pipe, a device, a link), or reading
// failed. A scan that meets one has not seen what the shortcut leads to.
class ShellLinkReadError : public ShellLinkError {
 public:
  enum class Reason { TooLarge, NotRegularFile, Unreadable };
  ShellLinkReadError(Reason reason, const std::string& what) : ShellLinkError(what), FReason(reason) {}
  Reason reason() const { return FReason; }

 private:
  Reason FReason;
};

// A real shortcut is a few kilobytes; a huge file named .lnk is not read into memory.
constexpr size_t kMaxShortcutBytes = 16u * 1024 * 1024;

// The bytes of the shortcut file at path, read as a regular file up to
// kMaxShortcutBytes; throws ShellLinkReadError otherwise.
std::string ReadShortcutFile(const std::wstring& path);

// Reads and resolves the shortcut at path. On Windows this is the Shell link object
// (COM must already be initialised on the calling thread); elsewhere it is
// ReadShellLinkPortable. Throws ShellLinkError when any step fails.
TShellLink ReadShellLink(const std::wstring& path);

// The Shell's getters read into buffers of this many characters, NUL included.
constexpr size_t kShellLinkBufferChars = 260;

// What resolving a target needs to know about the machine.
class TLinkHost {
 public:
  virtual ~TLinkHost() = default;
  // True when path names an existing file or folder.
  virtual bool Exists(const std::wstring& path) = 0;
  // GetLogicalDrives: bit 0 is A:.
  virtual uint32_t LogicalDrives() = 0;
  // GetFullPathNameW of path against base (a folder ending with "\").
  virtual std::wstring FullPath(const std::wstring& path, const std::wstring& base) = 0;
  // The value of an environment variable; nothing when it is not set.
  virtual std::optional<std::wstring> Variable(const std::wstring& name) = 0;
};

// dw::Fs(), dw::Vol() and the process environment.
class TPlatformLinkHost : public TLinkHost {
 public:
  bool Exists(const std::wstring& path) override;
  uint32_t LogicalDrives() override;
  std::wstring FullPath(const std::wstring& path, const std::wstring& base) override;
  std::optional<std::wstring> Variable(const std::wstring& name) override;
};

// Whether path starts with a drive letter ("e:").
bool HasDriveLetter(std::wstring_view path);
// Whether letter (a-z or A-Z) is a drive of this machine; drives as GetLogicalDrives
// gives them. A stick gets another letter on each PC: a path it recorded under a
// letter this machine lacks now lies on the stick's own drive.
bool IsKnownDrive(wchar_t letter, uint32_t drives);

// %NAME% replaced by the variable's value; names that are not set stay as written.
std::wstring ExpandVariables(std::wstring_view text, TLinkHost& host);

// The target the Shell would report for a shortcut stored at shortcutPath:
// 1. the first of the recorded targets that exists: LinkInfo's local path, its network
//    path, the expanded environment target, the item ID list's path (the environment
//    target first when the link prefers it);
// 2. else the relative path taken from the shortcut's own folder, if that exists;
// 3. else the first recorded target, moved to the shortcut's own drive when its drive
//    letter is not a drive of this machine (a stick gets another letter on each PC);
// 4. else the recorded target as it stands.
// An advertised (Windows Installer) shortcut has no file target: empty.
std::wstring ResolveLinkTarget(const TShellLinkFile& link, const std::wstring& shortcutPath, TLinkHost& host);

// The record as the Shell's getters fill it, each text cut to what a 260-character
// buffer holds.
TShellLink ShellLinkFromFile(const TShellLinkFile& link, const std::wstring& shortcutPath, TLinkHost& host);

// The shortcut reader that needs no Shell: parses bytes (the file at shortcutPath)
// and resolves its target through host. Throws ShellLinkError on a malformed file.
TShellLink ReadShellLinkBytes(std::string_view bytes, const std::wstring& shortcutPath, TLinkHost& host);
// Reads the file through dw::Fs() and resolves it on this machine.
TShellLink ReadShellLinkPortable(const std::wstring& path);

}  // namespace dw
