#include "platform/posix/PosixSystem.h"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "common/Text.h"

namespace dw {

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (passwd* entry = getpwuid(geteuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/tmp";
}

struct ErrorText {
  uint32_t code;
  const wchar_t* text;
};

// The system's English texts, without their final full stop as ErrorMessage gives them.
constexpr ErrorText kErrorTexts[] = {
    {0, L"The operation completed successfully"},
    {1, L"Incorrect function"},
    {2, L"The system cannot find the file specified"},
    {3, L"The system cannot find the path specified"},
    {5, L"Access is denied"},
    {6, L"The handle is invalid"},
    {17, L"The system cannot move the file to a different disk drive"},
    {19, L"The media is write protected"},
    {21, L"The device is not ready"},
    {31, L"A device attached to the system is not functioning"},
    {32, L"The process cannot access the file because it is being used by another process"},
    {50, L"The request is not supported"},
    {80, L"The file exists"},
    {87, L"The parameter is incorrect"},
    {112, L"There is not enough space on the disk"},
    {123, L"The filename, directory name, or volume label syntax is incorrect"},
    {145, L"The directory is not empty"},
    {183, L"Cannot create a file when that file already exists"},
    {206, L"The filename or extension is too long"},
    {267, L"The directory name is invalid"},
};

}  // namespace

std::wstring PosixSystem::SpecialFolder(int) {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return Utf8ToWide(data);
  return Utf8ToWide(HomeFolder() + "/.local/share");
}

std::wstring PosixSystem::SystemDirectory() { return L"C:\\windows\\system32"; }

std::optional<std::wstring> PosixSystem::UserName() {
  if (passwd* entry = getpwuid(geteuid()); entry && entry->pw_name && *entry->pw_name) {
    return Utf8ToWide(entry->pw_name);
  }
  if (const char* user = std::getenv("USER"); user && *user) return Utf8ToWide(user);
  return std::nullopt;
}

std::wstring PosixSystem::ProgramFolder() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n <= 0) return {};
  std::string exe(path, static_cast<size_t>(n));
  return Utf8ToWide(exe.substr(0, exe.find_last_of('/'))) + L"\\";
}

bool PosixSystem::Shell(OwnerWindow, const std::wstring&, const std::wstring&, const std::wstring&, const std::wstring&,
                        int) {
  // Nothing to start on Linux: no companion programs, no Explorer for "open".
  return false;
}

int PosixSystem::MessageDialog(const std::wstring&, const std::wstring&, uint32_t) {
  return 2;  // IDCANCEL: without a user interface nobody agrees to anything
}

std::wstring FormatDateTime(const std::tm& local) {
  char text[64];
  if (local.tm_hour == 0 && local.tm_min == 0 && local.tm_sec == 0) {
    std::snprintf(text, sizeof(text), "%02d/%02d/%04d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
  } else {
    std::snprintf(text, sizeof(text), "%02d/%02d/%04d %02d:%02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
  }
  return Utf8ToWide(text);
}

std::wstring PosixSystem::LocalDateTimeText() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return FormatDateTime(local);
}

std::wstring PosixSystem::DateTimeText(int64_t unixTime) {
  std::time_t moment = static_cast<std::time_t>(unixTime);
  std::tm local{};
  if (!localtime_r(&moment, &local)) return L"";
  return FormatDateTime(local);
}

uint32_t PosixSystem::TickCount() {
  auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void PosixSystem::Sleep(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::optional<std::wstring> PosixSystem::EnvironmentVariable(const std::wstring& name) {
  if (const char* value = std::getenv(WideToUtf8(name).c_str())) return Utf8ToWide(value);
  return std::nullopt;
}

std::wstring PosixSystem::ErrorMessage(uint32_t code) {
  for (const ErrorText& entry : kErrorTexts) {
    if (entry.code == code) return entry.text;
  }
  return {};
}

std::string PosixSystem::ToAnsi(std::wstring_view text) { return WideToCp1252(text); }

std::wstring PosixSystem::FromAnsi(std::string_view bytes) { return Cp1252ToWide(bytes); }

uint32_t PosixSystem::AnsiCodePage() { return 1252; }

// Without a user interface nobody picks a folder.
std::optional<std::wstring> PosixSystem::BrowseForFolder(const std::wstring&) { return std::nullopt; }

}  // namespace dw
