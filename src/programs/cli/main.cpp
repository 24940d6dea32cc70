// drivewarden-cli's entry point: turns the OS's arguments and paths into the
// scanner's, then runs it.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLineScanner.h"
#include "common/Text.h"
#include "platform/Platform.h"

#ifdef _WIN32
#include "platform/win32/WindowsSupport.h"

#include <io.h>

namespace {

dw::CliHost MakeHost() {
  dw::CliHost host;
  host.mountRoot = [](const std::wstring& arg, std::wstring& error) -> std::optional<std::wstring> {
    bool rootForm = (arg.size() == 2 || (arg.size() == 3 && (arg[2] == L'\\' || arg[2] == L'/'))) && iswalpha(arg[0]) &&
                    arg[1] == L':';
    if (!rootForm) {
      error = L"not a drive root such as E:\\";
      return std::nullopt;
    }
    std::wstring root = std::wstring(1, static_cast<wchar_t>(towlower(arg[0]))) + L":\\";
    if (dw::Vol().DriveType(root) <= dw::kDriveNoRootDir) {
      error = L"no such drive";
      return std::nullopt;
    }
    return root;
  };
  host.folderPath = [](const std::wstring& arg) { return dw::IncludeTrailingBackslash(dw::Fs().FullPath(arg, L"")); };
  host.displayPath = [](const std::wstring& path) { return path; };
  host.defaultDataFolder = dw::Sys().SpecialFolder(dw::kCsidlCommonAppData) + L"\\Drivewarden\\";
  host.progressToTerminal = _isatty(_fileno(stderr));
  return host;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Paths are printed as UTF-8; a console shows them right with this code page.
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  return dw::RunCommandLine(args, MakeHost());
}

#else
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/posix/PosixAttributeSources.h"
#include "platform/posix/PosixDrives.h"
#include "platform/posix/PosixMounts.h"
#include "platform/posix/PosixNames.h"

namespace {

namespace fs = std::filesystem;

using dw::posix::UnixNameToWide;
using dw::posix::WideToUnixName;

std::wstring AsFolder(const fs::path& p) { return UnixNameToWide(p.string()) + L"\\"; }

dw::CliHost MakeHost() {
  dw::CliHost host;
  host.mountRoot = [](const std::wstring& arg, std::wstring& error) -> std::optional<std::wstring> {
    std::error_code ec;
    fs::path folder = fs::canonical(WideToUnixName(arg), ec);
    if (ec || !fs::is_directory(folder, ec)) {
      error = L"no such folder";
      return std::nullopt;
    }
    // Each folder becomes a drive of its own, as a stick would be on Windows.
    static wchar_t next = L'd';
    if (next > L'z') {
      error = L"too many roots";
      return std::nullopt;
    }
    wchar_t letter = next++;
    // A folder that is no mount point has no label: its own name is no volume's.
    dw::DriveOptions options;
    options.volumeLabel = dw::posix::MountedVolumeLabel(folder.string()).value_or(L"");
    dw::MapDrive(letter, folder.string(), options);
    return std::wstring(1, letter) + L":\\";
  };
  host.folderPath = [](const std::wstring& arg) {
    std::error_code ec;
    fs::path folder = fs::absolute(WideToUnixName(arg), ec).lexically_normal();
    std::string s = folder.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return UnixNameToWide(s) + L"\\";
  };
  // The path as the finding names it, never looked up again: once a file is gone, a
  // look-up would find another of a similar name. Bytes that are not UTF-8 show as
  // U+FFFD.
  host.displayPath = [](const std::wstring& path) {
    std::optional<std::string> unixPath = dw::MappedUnixPath(path);
    return unixPath ? dw::Utf8ToWide(*unixPath) : path;
  };
  host.fileSystemWithoutAttributes = [](const std::wstring& root) -> std::optional<std::wstring> {
    std::optional<std::string> folder = dw::MappedUnixPath(root);
    std::optional<std::string> name = folder ? dw::posix::FileSystemWithoutDosBits(*folder) : std::nullopt;
    if (!name) return std::nullopt;
    return UnixNameToWide(*name);
  };
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  fs::path base = xdg && *xdg ? fs::path(xdg) : fs::path(home ? home : "/tmp") / ".local" / "share";
  std::error_code ec;
  fs::create_directories(base / "drivewarden", ec);
  host.defaultDataFolder = AsFolder(base / "drivewarden");
  host.progressToTerminal = isatty(STDERR_FILENO);
  return host;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  // Arguments are bytes like the names they may hold.
  for (int i = 1; i < argc; ++i) args.push_back(UnixNameToWide(argv[i]));
  return dw::RunCommandLine(args, MakeHost());
}
#endif
