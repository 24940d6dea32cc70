#include "support/HostileEntries.h"

#include <gtest/gtest.h>

#include "common/Text.h"

#ifdef _WIN32
#include "platform/win32/WindowsSupport.h"
#else
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/PosixDrives.h"
#endif

namespace dw::test {

namespace {

#ifdef _WIN32
// Wine runs a Linux program that CreateProcessW is given as it runs its own.
bool RunUnix(const std::wstring& program, const std::vector<std::string>& args) {
  std::wstring commandLine = L"\"" + program + L"\"";
  for (const std::string& arg : args) commandLine += L" \"" + Utf8ToWide(arg) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended;
}

bool EntryExists(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
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
    RunUnix(L"Z:\\usr\\bin\\rm", {"-f", "--", *it});
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
  ASSERT_TRUE(RunUnix(L"Z:\\usr\\bin\\ln", {"-s", "--", unixTarget, unixLink})) << WideToUtf8(link);
  ASSERT_TRUE(EntryExists(link)) << WideToUtf8(link);
#else
  ASSERT_EQ(symlink(unixTarget.c_str(), unixLink.c_str()), 0) << unixLink;
#endif
  made_.push_back(unixLink);
}

void HostileEntries::Pipe(const std::wstring& path) {
  std::string unixPath = UnixPathOf(path);
  ASSERT_FALSE(unixPath.empty()) << WideToUtf8(path);
#ifdef _WIN32
  ASSERT_TRUE(RunUnix(L"Z:\\usr\\bin\\mkfifo", {"--", unixPath})) << WideToUtf8(path);
  ASSERT_TRUE(EntryExists(path)) << WideToUtf8(path);
#else
  ASSERT_EQ(mkfifo(unixPath.c_str(), 0600), 0) << unixPath;
#endif
  made_.push_back(unixPath);
}

}  // namespace dw::test
