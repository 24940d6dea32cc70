#include "support/HostileEntries.h"

#include <gtest/gtest.h>

#include "common/Text.h"

#ifdef _WIN32
#include "platform/win32/WindowsSupport.h"

#include <algorithm>
#include <atomic>
#else
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/PosixDrives.h"
#endif

namespace dw::test {

namespace {

#ifdef _WIN32
// Read with the real calls: a test may have put a refusing file system in place.
std::string ReadMarker(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  char buffer[16];
  DWORD read = 0;
  BOOL ok = ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
  CloseHandle(file);
  return ok ? std::string(buffer, read) : "";
}

// Wine runs a Linux program that CreateProcessW is given as it runs its own, but
// its handle cannot be waited on, and Wine does not list a dangling link: the
// program runs through sh, which writes its exit status into a marker file that
// is waited for (with a deadline).
bool RunUnix(const std::vector<std::string>& command) {
  static std::atomic<unsigned> counter{0};
  const std::string marker =
      "/tmp/dw-hostile-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
  std::wstring markerPath = L"Z:" + Utf8ToWide(marker);
  std::replace(markerPath.begin(), markerPath.end(), L'/', L'\\');
  std::vector<std::string> args = {"-c", "m=$1; shift; \"$@\"; echo $? > \"$m\"", "sh", marker};
  args.insert(args.end(), command.begin(), command.end());
  // Each argument quoted, its own quotes escaped, as the C runtime reads them back.
  const std::wstring program = L"Z:\\usr\\bin\\sh";
  std::wstring commandLine = L"\"" + program + L"\"";
  for (const std::string& arg : args) {
    std::wstring quoted;
    for (wchar_t c : Utf8ToWide(arg)) quoted += c == L'"' ? std::wstring(L"\\\"") : std::wstring(1, c);
    commandLine += L" \"" + quoted + L"\"";
  }
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int attempt = 0; attempt < 3000; ++attempt) {
    std::string status = ReadMarker(markerPath);
    if (!status.empty() && status.back() == '\n') {
      DeleteFileW(markerPath.c_str());
      return status == "0\n";
    }
    Sleep(10);
  }
  return false;
}
#endif

}  // namespace

std::string UnixPathOf(const std::wstring& path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == L'/') return WideToUtf8(path);
  using WineUnixName = char*(CDECL*)(const wchar_t*);
  auto unixName = reinterpret_cast<WineUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return "";
  char* name = unixName(path.c_str());
  if (!name) return "";
  std::string result = name;
  HeapFree(GetProcessHeap(), 0, name);
  return result;
#else
  return ToUnixPath(path).value_or("");
#endif
}

HostileEntries::~HostileEntries() {
  for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
#ifdef _WIN32
    RunUnix({"rm", "-f", "--", *it});
#else
    unlink(it->c_str());
#endif
  }
}

void HostileEntries::Link(const std::wstring& link, const std::wstring& target) {
  std::string unixLink = UnixPathOf(link);
  std::string unixTarget = UnixPathOf(target);
  ASSERT_FALSE(unixLink.empty()) << WideToUtf8(link);
  ASSERT_FALSE(unixTarget.empty()) << WideToUtf8(target);
#ifdef _WIN32
  ASSERT_TRUE(RunUnix({"ln", "-s", "--", unixTarget, unixLink})) << WideToUtf8(link);
#else
  ASSERT_EQ(symlink(unixTarget.c_str(), unixLink.c_str()), 0) << unixLink;
#endif
  made_.push_back(unixLink);
}

void HostileEntries::Pipe(const std::wstring& path) {
  std::string unixPath = UnixPathOf(path);
  ASSERT_FALSE(unixPath.empty()) << WideToUtf8(path);
#ifdef _WIN32
  ASSERT_TRUE(RunUnix({"mkfifo", "--", unixPath})) << WideToUtf8(path);
#else
  ASSERT_EQ(mkfifo(unixPath.c_str(), 0600), 0) << unixPath;
#endif
  made_.push_back(unixPath);
}

}  // namespace dw::test
