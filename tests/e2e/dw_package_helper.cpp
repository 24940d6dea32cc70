// Looks at the installed Windows release from inside Wine, for the package tests.
// One command per run; the exit code is the answer (0 yes/done, 1 no, 2 not found,
// 3 bad usage).
//
//   run COMMANDLINE       start COMMANDLINE exactly as given (no quoting added, as
//                         an uninstaller's "_?=" needs), wait, print its exit code
//   version-info EXE      print the version resource as NAME=VALUE lines, the
//                         fixed versions as "FixedFileVersion=a.b.c.d"
//   panel-text TEXT       0 when a child window of the control panel shows TEXT
//   wait-window TEXT MS   wait until a visible top-level window's title holds TEXT
//   click TEXT ID         press the button ID of that window (as a click tells it)
//   click-text TEXT LABEL click the control labelled LABEL anywhere inside that window
//   wait-text TEXT LABEL MS  wait until such a control is there (a page has come up)
//   select TEXT ITEM      choose the item that begins with ITEM in its first combo box
//   tick TEXT N           toggle the check box of the Nth item (from 0) of the tree
//                         view inside that window, with the space bar as a user would
//
// Copied over system32\icacls.exe (which Wine only imitates), it instead appends
// its command line to C:\icacls-calls.txt, so a test sees what the installer asked.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

int Run(const wchar_t* commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 2;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("%lu\n", static_cast<unsigned long>(code));
  return 0;
}

int VersionInfo(const wchar_t* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return 2;
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data())) return 2;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    auto print = [](const char* name, DWORD high, DWORD low) {
      std::printf("%s=%u.%u.%u.%u\n", name, static_cast<unsigned>(HIWORD(high)), static_cast<unsigned>(LOWORD(high)),
                  static_cast<unsigned>(HIWORD(low)), static_cast<unsigned>(LOWORD(low)));
    };
    print("FixedFileVersion", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    print("FixedProductVersion", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
  }
  struct TTranslation {
    WORD language, codePage;
  };
  TTranslation* translations = nullptr;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(TTranslation))
    return 1;
  for (const wchar_t* name : {L"ProductName", L"ProductVersion", L"FileVersion", L"FileDescription", L"CompanyName",
                              L"LegalCopyright", L"OriginalFilename", L"InternalName"}) {
    wchar_t query[128];
    swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations->language, translations->codePage, name);
    wchar_t* value = nullptr;
    if (VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&value), &length) && value)
      std::printf("%ls=%ls\n", name, value);
  }
  return 0;
}

struct TTextSearch {
  const wchar_t* text;
  bool found;
  HWND window;
};

BOOL CALLBACK MatchText(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TTextSearch*>(param);
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  if (std::wstring(text) == search->text) {
    search->found = true;
    search->window = window;
    return FALSE;
  }
  return TRUE;
}

int PanelText(const wchar_t* text) {
  HWND panel = FindWindowW(L"TPanelfrm", L"Drivewarden");
  if (!panel) return 2;
  TTextSearch search{text, false, nullptr};
  EnumChildWindows(panel, MatchText, reinterpret_cast<LPARAM>(&search));
  return search.found ? 0 : 1;
}

struct TWindowSearch {
  std::wstring part;
  HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TWindowSearch*>(param);
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (IsWindowVisible(window) && std::wstring(title).find(search->part) != std::wstring::npos) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND TopWindow(const wchar_t* part) {
  TWindowSearch search{part, nullptr};
  EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int WaitWindow(const wchar_t* part, DWORD ms) {
  DWORD start = GetTickCount();
  while (!TopWindow(part)) {
    if (GetTickCount() - start >= ms) return 1;
    Sleep(100);
  }
  return 0;
}

int Click(const wchar_t* part, int id) {
  HWND window = TopWindow(part);
  if (!window) return 2;
  HWND button = GetDlgItem(window, id);
  return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) ? 0 : 1;
}

int ClickText(const wchar_t* part, const wchar_t* label) {
  HWND window = TopWindow(part);
  if (!window) return 2;
  TTextSearch search{label, false, nullptr};
  EnumChildWindows(window, MatchText, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 2;
  SendMessageW(search.window, BM_CLICK, 0, 0);
  return 0;
}

int WaitText(const wchar_t* part, const wchar_t* label, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = TopWindow(part)) {
      TTextSearch search{label, false, nullptr};
      EnumChildWindows(window, MatchText, reinterpret_cast<LPARAM>(&search));
      if (search.found && IsWindowVisible(search.window)) return 0;
    }
    if (GetTickCount() - start >= ms) return 1;
    Sleep(100);
  }
}

int Select(const wchar_t* part, const wchar_t* item) {
  HWND window = TopWindow(part);
  if (!window) return 2;
  HWND combo = FindWindowExW(window, nullptr, L"ComboBox", nullptr);
  if (!combo) return 2;
  return SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item)) == CB_ERR ? 1
                                                                                                                 : 0;
}

HWND FindDescendant(HWND parent, const wchar_t* windowClass) {
  for (HWND child = FindWindowExW(parent, nullptr, nullptr, nullptr); child;
       child = FindWindowExW(parent, child, nullptr, nullptr)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (_wcsicmp(name, windowClass) == 0) return child;
    if (HWND found = FindDescendant(child, windowClass)) return found;
  }
  return nullptr;
}

int Tick(const wchar_t* part, int index) {
  HWND window = TopWindow(part);
  if (!window) return 2;
  HWND tree = FindDescendant(window, WC_TREEVIEWW);
  if (!tree) return 2;
  auto item = reinterpret_cast<LPARAM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (int i = 0; i < index && item; ++i)
    item = static_cast<LPARAM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item));
  if (!item) return 2;
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, item);
  PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 1);
  PostMessageW(tree, WM_KEYUP, VK_SPACE, 0xC0000001);
  return 0;
}

bool RecordIfIcacls() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring name = self;
  name = name.substr(name.find_last_of(L'\\') + 1);
  if (_wcsicmp(name.c_str(), L"icacls.exe") != 0) return false;
  if (FILE* calls = _wfopen(L"C:\\icacls-calls.txt", L"ab")) {
    std::fprintf(calls, "%ls\n", GetCommandLineW());
    std::fclose(calls);
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (RecordIfIcacls()) return 0;
  if (argc < 3) return 3;
  std::wstring command = argv[1];
  if (argc == 4 && command == L"wait-window") return WaitWindow(argv[2], wcstoul(argv[3], nullptr, 10));
  if (argc == 4 && command == L"click") return Click(argv[2], static_cast<int>(wcstol(argv[3], nullptr, 10)));
  if (argc == 4 && command == L"click-text") return ClickText(argv[2], argv[3]);
  if (argc == 4 && command == L"tick") return Tick(argv[2], static_cast<int>(wcstol(argv[3], nullptr, 10)));
  if (argc == 4 && command == L"select") return Select(argv[2], argv[3]);
  if (argc == 5 && command == L"wait-text") return WaitText(argv[2], argv[3], wcstoul(argv[4], nullptr, 10));
  if (argc != 3) return 3;
  if (command == L"run") return Run(argv[2]);
  if (command == L"version-info") return VersionInfo(argv[2]);
  if (command == L"panel-text") return PanelText(argv[2]);
  return 3;
}
