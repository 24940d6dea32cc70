#include "platform/lnk.h"

#include <cstdlib>
#include <vector>

#include "common/Text.h"
#include "platform/Platform.h"

namespace dw {

namespace {

std::wstring FitBuffer(const std::wstring& text) { return text.substr(0, kShellLinkBufferChars - 1); }

// The folder holding path, with its trailing "\"; empty when path names no folder.
std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::string Describe(const std::wstring& path) { return WideToUtf8(path); }

}  // namespace

bool HasDriveLetter(std::wstring_view path) {
  return path.size() >= 2 && path[1] == L':' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool IsKnownDrive(wchar_t letter, uint32_t drives) {
  int index = (letter >= L'a' ? letter - L'a' : letter - L'A');
  return (drives >> index) & 1u;
}

bool TPlatformLinkHost::Exists(const std::wstring& path) { return Fs().Attributes(path) != kInvalidAttributes; }

uint32_t TPlatformLinkHost::LogicalDrives() { return Vol().LogicalDrives(); }

std::wstring TPlatformLinkHost::FullPath(const std::wstring& path, const std::wstring& base) {
  return Fs().FullPath(path, base);
}

std::optional<std::wstring> TPlatformLinkHost::Variable(const std::wstring& name) {
  return Sys().EnvironmentVariable(name);
}

std::wstring ExpandVariables(std::wstring_view text, TLinkHost& host) {
  std::wstring out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find(L'%', pos);
    size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    out.append(text.substr(pos, open - pos));
    std::wstring name(text.substr(open + 1, close - open - 1));
    std::optional<std::wstring> value = name.empty() ? std::nullopt : host.Variable(name);
    if (value) {
      out += *value;
    } else {
      out.append(text.substr(open, close - open + 1));
    }
    pos = close + 1;
  }
  out.append(text.substr(std::min(pos, text.size())));
  return out;
}

std::wstring ResolveLinkTarget(const TShellLinkFile& link, const std::wstring& shortcutPath, TLinkHost& host) {
  // An advertised shortcut starts Windows Installer, never the file its ID list names.
  if (link.Has(kLinkHasDarwinId) && link.HasDarwinBlock) return {};

  std::vector<std::wstring> recorded;
  auto record = [&recorded](std::wstring path) {
    if (!path.empty()) recorded.push_back(std::move(path));
  };
  std::wstring environment;
  if (link.Has(kLinkHasExpString) && !link.EnvironmentTarget.empty()) {
    environment = ExpandVariables(link.EnvironmentTarget, host);
  }
  const bool preferEnvironment = link.Has(kLinkPreferEnvironmentPath);
  if (preferEnvironment) record(environment);
  if (!link.Has(kLinkForceNoLinkInfo)) {
    record(link.LocalTargetPath());
    record(link.NetworkTargetPath());
  }
  if (!preferEnvironment) record(environment);
  record(link.IdListPath);

  for (const std::wstring& path : recorded) {
    if (host.Exists(path)) return path;
  }

  std::wstring relative;
  std::wstring folder = FolderOf(shortcutPath);
  if (link.Has(kLinkHasRelativePath) && !link.RelativePath.empty() && !folder.empty()) {
    relative = host.FullPath(link.RelativePath, folder);
    if (!relative.empty() && host.Exists(relative)) return relative;
  }
  if (recorded.empty()) return relative;

  std::wstring target = recorded.front();
  if (HasDriveLetter(target) && HasDriveLetter(shortcutPath) && !IsKnownDrive(target[0], host.LogicalDrives())) {
    target[0] = shortcutPath[0];
  }
  return target;
}

TShellLink ShellLinkFromFile(const TShellLinkFile& link, const std::wstring& shortcutPath, TLinkHost& host) {
  TShellLink result;
  result.PathName = FitBuffer(ResolveLinkTarget(link, shortcutPath, host));
  result.Arguments = FitBuffer(link.Arguments);
  result.Description = FitBuffer(link.Name);
  result.WorkingDirectory = FitBuffer(link.WorkingDir);
  bool iconFromEnvironment = link.IconLocation.empty() && link.Has(kLinkHasExpIcon);
  result.IconLocation = FitBuffer(iconFromEnvironment ? link.IconEnvironmentTarget : link.IconLocation);
  result.IconIndex = link.IconIndex;
  result.ShowCmd = static_cast<int32_t>(link.ShowCommand);
  result.HotKey = link.HotKey;
  return result;
}

TShellLink ReadShellLinkBytes(std::string_view bytes, const std::wstring& shortcutPath, TLinkHost& host) {
  std::string reason;
  std::optional<TShellLinkFile> link = ParseShellLink(bytes, &reason);
  if (!link) throw ShellLinkError("cannot read shortcut " + Describe(shortcutPath) + ": " + reason);
  return ShellLinkFromFile(*link, shortcutPath, host);
}

std::string ReadShortcutFile(const std::wstring& path) {
  using Reason = ShellLinkReadError::Reason;
  std::optional<FileStart> file = Fs().ReadRegular(path, kMaxShortcutBytes);
  if (!file) {
    uint32_t error = Fs().LastError();
    if (error == kErrorFileNotFound || error == kErrorPathNotFound) {
      throw ShellLinkError("cannot find shortcut " + Describe(path));
    }
    bool regular = error != kErrorBadFileType;
    throw ShellLinkReadError(regular ? Reason::Unreadable : Reason::NotRegularFile,
                             (regular ? "cannot read shortcut " : "shortcut is not a regular file: ") + Describe(path));
  }
  if (!file->complete) throw ShellLinkReadError(Reason::TooLarge, "shortcut too large: " + Describe(path));
  return std::move(file->bytes);
}

TShellLink ReadShellLinkPortable(const std::wstring& path) {
  std::string bytes = ReadShortcutFile(path);
  TPlatformLinkHost host;
  return ReadShellLinkBytes(bytes, path, host);
}

}  // namespace dw
