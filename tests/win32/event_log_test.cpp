// The event log through the real API, and the message table that the Event Viewer
// reads from the built program: French and English text for every id raised.
#include "platform/win32/WindowsSupport.h"

#include <gtest/gtest.h>

#include <string>

#include "common/Text.h"
#include "platform/win32/Win32EventLog.h"
#include "state/LogActions.h"

namespace dw {
namespace {

// The build's path of the program, as Wine sees the Linux file system.
std::wstring ProgramPath() {
  std::wstring path = Utf8ToWide(DW_DRIVEWARDEN_EXE);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path.rfind(L"\\", 0) == 0 ? L"Z:" + path : path;
}

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static void Close(Handle handle) { ::FreeLibrary(handle); }
};

std::wstring MessageText(HMODULE module, uint32_t id, WORD language, const std::wstring& path,
                         const std::wstring& drive) {
  const DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(path.c_str()), reinterpret_cast<DWORD_PTR>(drive.c_str())};
  wchar_t buffer[1024] = {};
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, id, language,
                                      buffer, 1024, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
  return std::wstring(buffer, length);
}

TEST(Win32EventLog, AnEventIsReportedThroughTheRealApi) {
  Win32EventLog events;
  EXPECT_TRUE(events.Report(EventLevel::Warning, kEventDetection, {L"e:\\run.exe", L"E:\\"}));
  // Registered once: a second event, and one with many long strings, go the same way.
  EXPECT_TRUE(events.Report(EventLevel::Information, kEventProtectionOn, {L"", L""}));
  EXPECT_TRUE(
      events.Report(EventLevel::Error, kEventDisposeFailed, std::vector<std::wstring>(20, std::wstring(40000, L'x'))));
}

TEST(Win32EventLog, TheProgramCarriesFrenchAndEnglishTextForEveryEvent) {
  win32::ScopedHandle<ModuleTraits> module(
      LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(module) << WideToUtf8(ProgramPath()) << " " << GetLastError();
  EXPECT_NE(FindResourceW(module.Get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(11)), nullptr);  // RT_MESSAGETABLE

  const WORD french = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);
  const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  EXPECT_EQ(MessageText(module.Get(), kEventDetection, french, L"e:\\run.exe", L"E:\\"),
            L"Drivewarden a d\u00E9tect\u00E9 une menace ou un fichier suspect : e:\\run.exe (disque E:\\).\r\n");
  EXPECT_EQ(MessageText(module.Get(), kEventDetection, english, L"e:\\run.exe", L"E:\\"),
            L"Drivewarden found a threat or a suspicious file: e:\\run.exe (drive E:\\).\r\n");
  for (const TLogAction& action : LogActions()) {
    if (action.EventId == kEventNone) continue;
    const std::wstring inFrench = MessageText(module.Get(), action.EventId, french, L"e:\\x", L"E:\\");
    const std::wstring inEnglish = MessageText(module.Get(), action.EventId, english, L"e:\\x", L"E:\\");
    EXPECT_FALSE(inFrench.empty()) << action.EventId;
    EXPECT_FALSE(inEnglish.empty()) << action.EventId;
    EXPECT_NE(inFrench, inEnglish) << action.EventId;
    // Every insert was filled.
    EXPECT_EQ(inFrench.find(L'%'), std::wstring::npos) << action.EventId;
    EXPECT_EQ(inEnglish.find(L'%'), std::wstring::npos) << action.EventId;
  }
}

}  // namespace
}  // namespace dw
