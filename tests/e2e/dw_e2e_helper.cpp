// Drives a running drivewarden.exe from outside, as the shell and the user would,
// for the end-to-end tests. One command per run; the exit code is the answer
// (0 yes/done, 1 no/timed out, 2 no such window, 3 bad usage).
//
//   wait-panel MS      wait until the control panel window exists
//   wait-gone MS       wait until it no longer exists
//   panel-visible      0 when the control panel is visible, 1 when hidden
//   panel-minimized    0 when the control panel is minimised, 1 when not
//   panel-client       print the control panel's client width and height
//   close-main         post WM_CLOSE to the hidden main window (message-only)
//   close-panel        post WM_CLOSE to the control panel (its close button)
//   show-page N MS     switch the page control to page N with the arrow keys
//   tray-click         the left button released on the tray icon
//   tray-menu X Y      the cursor moved to X,Y, then the right button released on the icon
//   autoplay           print the answer to the shell's QueryCancelAutoPlay
//   end-session        the session ends: WM_QUERYENDSESSION, then WM_ENDSESSION
//   window-text CLASS CAPTION MS   wait for a visible top-level window of that
//                      class and caption; print the texts of its controls, one a
//                      line (UTF-8)
//   close-window CLASS CAPTION     post WM_CLOSE to that window
//   process-line NAME MS     wait for a process running NAME (such as
//                      drivewarden.exe); print its command line, its image path
//                      and its current directory, one a line (UTF-8)
//   panel-click X Y    the left button released at X,Y of the control panel's client area
//   hold-taskbar MS    show a tray icon of its own until the pop-up window exists (at most
//                      MS ms): Wine shows its taskbar only while it has an icon to show
//   work-area-ready    0 when the taskbar has taken its part of the screen
//   popup-state        print the pop-up's "visible" or "hidden", its window rectangle
//                      and the work area (left top right bottom each); 0 visible, 1 hidden
//   define-drive L DIR make Unix folder DIR removable drive L through Wine's mount manager
//   remove-drive L     take drive L away again through the mount manager
//   announce EVENT L   broadcast the volume notice Windows sends for a USB stick
//                      (EVENT arrival or removal, flags 0) to the top-level windows
//   watch-devices MS   a top-level window prints each volume notice it gets in MS
//   cursor X Y         move the cursor to X,Y
//   list-rows N        print the rows of the panel's Nth list view (in creation order),
//                      one line each, the columns separated by " | "
//   current-page       print the index of the page shown
//   click CAPTION      press the enabled push button of the panel with this caption
//   answer-box CAPTION ID MS  wait for the program's message box with this caption
//                      and press its button ID (6 yes, 7 no, 2 cancel)
//   select-row N ROW   select row ROW of the panel's Nth list view, as a click on it does
//   click-box N ROW    the left button pressed and released on the check box of row ROW
//                      of the panel's Nth list view
//   ticked-rows N      print the numbers (from 0) of the ticked rows of the panel's Nth list view
//   menu-pick PATH MS  wait for the program's open popup menu and choose an item with the
//                      arrow keys and Enter: PATH is its number (from 0, separators not
//                      counted), or numbers joined by "/" down into submenus (1/0)
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "common/Text.h"
#include "support/win32/WineDrives.h"

namespace {

constexpr UINT kTrayCallback = WM_USER + 1;

HWND Panel() { return FindWindowW(L"TPanelfrm", L"Drivewarden"); }

template <typename Done>
bool WaitFor(DWORD ms, Done done) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= ms) return false;
    Sleep(50);
  }
}

DWORD Number(const wchar_t* text) { return static_cast<DWORD>(wcstoul(text, nullptr, 10)); }

void PrintLine(const std::wstring& line) { std::printf("%s\n", dw::WideToUtf8(line).c_str()); }

int WindowText(const wchar_t* className, const wchar_t* caption, DWORD ms) {
  HWND window = nullptr;
  if (!WaitFor(ms, [&] { return (window = FindWindowW(className, caption)) != nullptr && IsWindowVisible(window); }))
    return 1;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM) -> BOOL {
        wchar_t text[1024] = {};
        GetWindowTextW(child, text, 1024);
        if (text[0]) PrintLine(text);
        return TRUE;
      },
      0);
  return 0;
}

// What another process was started with, read from its process parameters. The
// documented part of the structure stops before the current directory, which lies
// in the first of its reserved pointers: the handles, then CurrentDirectory.
struct RemoteParameters {
  BYTE Reserved1[16];
  PVOID Handles[5];
  UNICODE_STRING CurrentDirectory;
  HANDLE CurrentDirectoryHandle;
  UNICODE_STRING DllPath;
  UNICODE_STRING ImagePathName;
  UNICODE_STRING CommandLine;
};

std::wstring RemoteString(HANDLE process, const UNICODE_STRING& text) {
  std::wstring value(text.Length / sizeof(wchar_t), L'\0');
  SIZE_T read = 0;
  if (value.empty() || !ReadProcessMemory(process, text.Buffer, value.data(), text.Length, &read)) return {};
  return value;
}

int PrintProcessLine(DWORD processId) {
  using QueryFn = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process || !query) return 4;
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  RemoteParameters parameters{};
  SIZE_T read = 0;
  bool ok = query(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr) == 0 &&
            ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), &read) &&
            ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), &read);
  if (ok) {
    PrintLine(RemoteString(process, parameters.CommandLine));
    PrintLine(RemoteString(process, parameters.ImagePathName));
    PrintLine(RemoteString(process, parameters.CurrentDirectory));
  }
  CloseHandle(process);
  return ok ? 0 : 4;
}

DWORD FindProcess(const wchar_t* exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  DWORD found = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry))
    if (lstrcmpiW(entry.szExeFile, exeName) == 0) found = entry.th32ProcessID;
  CloseHandle(snapshot);
  return found;
}

int ShowPage(HWND panel, int page, DWORD ms) {
  HWND tabs = FindWindowExW(panel, nullptr, WC_TABCONTROLW, nullptr);
  if (!tabs) return 2;
  int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
  if (page < 0 || page >= count) return 3;
  // Keys reach the control inside its own process, which then tells the panel as
  // it does for the user: the page changes and the sheet's show handler runs.
  for (int guard = 0; guard < count; ++guard) {
    int current = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    if (current == page) break;
    WPARAM key = page > current ? VK_RIGHT : VK_LEFT;
    PostMessageW(tabs, WM_KEYDOWN, key, 1);
    PostMessageW(tabs, WM_KEYUP, key, 0xC0000001);
    int wanted = page > current ? current + 1 : current - 1;
    if (!WaitFor(ms, [&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == wanted; })) return 1;
  }
  return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == page ? 0 : 1;
}

std::vector<HWND> Children(HWND parent, const wchar_t* className) {
  struct Search {
    const wchar_t* className;
    std::vector<HWND> found;
  } search{className, {}};
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (_wcsicmp(name, s.className) == 0) s.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring Text(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The list view lives in the program's address space: the item and its text
// buffer are placed there for the control to fill.
class TRemoteBuffer {
 public:
  TRemoteBuffer(HWND window, size_t size) : FSize(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    FProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (FProcess) FAddress = VirtualAllocEx(FProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~TRemoteBuffer() {
    if (FAddress) VirtualFreeEx(FProcess, FAddress, 0, MEM_RELEASE);
    if (FProcess) CloseHandle(FProcess);
  }
  TRemoteBuffer(const TRemoteBuffer&) = delete;
  TRemoteBuffer& operator=(const TRemoteBuffer&) = delete;

  bool Valid() const { return FAddress != nullptr; }
  char* Address() const { return static_cast<char*>(FAddress); }
  bool Write(size_t offset, const void* data, size_t size) {
    return WriteProcessMemory(FProcess, Address() + offset, data, size, nullptr);
  }
  bool Read(size_t offset, void* data, size_t size) {
    return ReadProcessMemory(FProcess, Address() + offset, data, size, nullptr);
  }

 private:
  HANDLE FProcess = nullptr;
  void* FAddress = nullptr;
  size_t FSize;
};

int ListRows(HWND panel, size_t index) {
  std::vector<HWND> lists = Children(panel, WC_LISTVIEWW);
  // Controls are numbered in layout order, which is the order of the lists' names.
  std::sort(lists.begin(), lists.end(), [](HWND a, HWND b) { return GetDlgCtrlID(a) < GetDlgCtrlID(b); });
  if (index >= lists.size()) return 2;
  HWND list = lists[index];
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  constexpr size_t kChars = 520;
  TRemoteBuffer remote(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  if (!remote.Valid()) return 1;
  for (int row = 0; row < rows; ++row) {
    std::wstring line;
    for (int column = 0; column < columns; ++column) {
      LVITEMW item{};
      item.iSubItem = column;
      item.cchTextMax = kChars;
      item.pszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(LVITEMW));
      wchar_t text[kChars] = {};
      remote.Write(0, &item, sizeof item);
      remote.Write(sizeof item, text, sizeof(wchar_t));
      SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.Address()));
      remote.Read(sizeof item, text, sizeof text);
      text[kChars - 1] = L'\0';
      if (column > 0) line += L" | ";
      line += text;
    }
    PrintLine(line);
  }
  return 0;
}

int SelectRow(HWND panel, size_t index, int row) {
  std::vector<HWND> lists = Children(panel, WC_LISTVIEWW);
  std::sort(lists.begin(), lists.end(), [](HWND a, HWND b) { return GetDlgCtrlID(a) < GetDlgCtrlID(b); });
  if (index >= lists.size()) return 2;
  HWND list = lists[index];
  if (row < 0 || row >= static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0))) return 1;
  TRemoteBuffer remote(list, sizeof(LVITEMW));
  if (!remote.Valid()) return 1;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(0, &item, sizeof item);
  // The control tells the panel of the change, as it does for a click.
  if (!SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(remote.Address()))) return 1;
  return SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED ? 0 : 1;
}

int TickedRows(HWND panel, size_t index) {
  std::vector<HWND> lists = Children(panel, WC_LISTVIEWW);
  std::sort(lists.begin(), lists.end(), [](HWND a, HWND b) { return GetDlgCtrlID(a) < GetDlgCtrlID(b); });
  if (index >= lists.size()) return 2;
  HWND list = lists[index];
  int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    // State image 2 is the ticked box, 1 the clear one.
    UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    if ((state & LVIS_STATEIMAGEMASK) >> 12 == 2) std::printf("%d\n", row);
  }
  return 0;
}

int ClickBox(HWND panel, size_t index, int row) {
  std::vector<HWND> lists = Children(panel, WC_LISTVIEWW);
  std::sort(lists.begin(), lists.end(), [](HWND a, HWND b) { return GetDlgCtrlID(a) < GetDlgCtrlID(b); });
  if (index >= lists.size()) return 2;
  HWND list = lists[index];
  TRemoteBuffer remote(list, sizeof(LVHITTESTINFO) + sizeof(RECT));
  if (!remote.Valid()) return 1;
  RECT bounds{LVIR_BOUNDS, 0, 0, 0};
  remote.Write(sizeof(LVHITTESTINFO), &bounds, sizeof bounds);
  if (!SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.Address() + sizeof(LVHITTESTINFO))))
    return 1;
  remote.Read(sizeof(LVHITTESTINFO), &bounds, sizeof bounds);
  // The box lies at the row's left end; the control itself says where.
  const int y = (bounds.top + bounds.bottom) / 2;
  for (int x = bounds.left; x < bounds.left + 48; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    remote.Write(0, &hit, sizeof hit);
    int found = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(remote.Address())));
    remote.Read(0, &hit, sizeof hit);
    if (found != row || !(hit.flags & LVHT_ONITEMSTATEICON)) continue;
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x + 2, y));
    return PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(x + 2, y)) ? 0 : 1;
  }
  return 1;
}

// A popup menu's window belongs to the thread that tracks it, whose loop takes
// every key posted to that thread: the keys the user would press.
int MenuPick(HWND panel, const std::wstring& path, DWORD ms) {
  DWORD program = 0;
  GetWindowThreadProcessId(panel, &program);
  HWND menu = nullptr;
  bool found = WaitFor(ms, [&] {
    for (HWND candidate = FindWindowW(L"#32768", nullptr); candidate;
         candidate = FindWindowExW(nullptr, candidate, L"#32768", nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (owner == program && IsWindowVisible(candidate)) {
        menu = candidate;
        return true;
      }
    }
    return false;
  });
  if (!found) return 1;
  auto press = [menu](WPARAM key) {
    PostMessageW(menu, WM_KEYDOWN, key, 1);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
  };
  // Down from no selection reaches the first item; a submenu opens on its first item.
  int steps = static_cast<int>(Number(path.c_str())) + 1;
  for (size_t slash = path.find(L'/'); slash != std::wstring::npos; slash = path.find(L'/', slash + 1)) {
    for (int step = 0; step < steps; ++step) press(VK_DOWN);
    press(VK_RIGHT);
    steps = static_cast<int>(Number(path.c_str() + slash + 1));
  }
  for (int step = 0; step < steps; ++step) press(VK_DOWN);
  press(VK_RETURN);
  return WaitFor(ms, [menu] { return !IsWindow(menu) || !IsWindowVisible(menu); }) ? 0 : 1;
}

int Click(HWND panel, const std::wstring& caption) {
  for (HWND button : Children(panel, WC_BUTTONW)) {
    if (Text(button) != caption || !IsWindowVisible(button)) continue;
    if (!IsWindowEnabled(button)) return 1;
    // What the button tells its parent when the user presses it.
    return PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                        reinterpret_cast<LPARAM>(button))
               ? 0
               : 1;
  }
  return 2;
}

int AnswerBox(HWND panel, const std::wstring& caption, int button, DWORD ms) {
  DWORD program = 0;
  GetWindowThreadProcessId(panel, &program);
  HWND box = nullptr;
  bool found = WaitFor(ms, [&] {
    for (HWND candidate = FindWindowW(L"#32770", caption.c_str()); candidate;
         candidate = FindWindowExW(nullptr, candidate, L"#32770", caption.c_str())) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (owner == program && IsWindowVisible(candidate)) {
        box = candidate;
        return true;
      }
    }
    return false;
  });
  if (!found) return 1;
  HWND control = GetDlgItem(box, button);
  if (!control) return 2;
  return PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
}

int Announce(const std::wstring& event, wchar_t letter) {
  DEV_BROADCAST_VOLUME volume{};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << (towupper(letter) - L'A');
  volume.dbcv_flags = 0;
  WPARAM code = event == L"arrival" ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
  DWORD recipients = BSM_APPLICATIONS;
  return BroadcastSystemMessageW(BSF_FORCEIFHUNG | BSF_QUERY, &recipients, WM_DEVICECHANGE, code,
                                 reinterpret_cast<LPARAM>(&volume)) > 0
             ? 0
             : 1;
}

LRESULT CALLBACK WatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DEVICECHANGE && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) && lParam) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    if (header->dbch_devicetype == DBT_DEVTYP_VOLUME) {
      const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lParam);
      std::printf("%s mask %#lx flags %#x\n", wParam == DBT_DEVICEARRIVAL ? "arrival" : "removal",
                  static_cast<unsigned long>(volume->dbcv_unitmask), static_cast<unsigned>(volume->dbcv_flags));
      std::fflush(stdout);
    }
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int WatchDevices(DWORD ms) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WatchProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"DwE2eDeviceWatch";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  if (!window) return 1;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  DestroyWindow(window);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 3;
  std::wstring command = argv[1];

  if (command == L"wait-panel")
    return WaitFor(argc > 2 ? Number(argv[2]) : 30000, [] { return Panel() != nullptr; }) ? 0 : 1;
  if (command == L"wait-gone")
    return WaitFor(argc > 2 ? Number(argv[2]) : 30000, [] { return Panel() == nullptr; }) ? 0 : 1;
  if (command == L"close-main") {
    // Message-only windows are found only below HWND_MESSAGE.
    HWND main = FindWindowExW(HWND_MESSAGE, nullptr, L"Tmainfrm", nullptr);
    if (!main) return 2;
    return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
  }

  if (command == L"window-text" && argc > 3) return WindowText(argv[2], argv[3], argc > 4 ? Number(argv[4]) : 30000);
  if (command == L"close-window" && argc > 3) {
    HWND window = FindWindowW(argv[2], argv[3]);
    if (!window) return 2;
    return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (command == L"process-line" && argc > 2) {
    DWORD processId = 0;
    if (!WaitFor(argc > 3 ? Number(argv[3]) : 30000, [&] { return (processId = FindProcess(argv[2])) != 0; })) return 1;
    return PrintProcessLine(processId);
  }
  if (command == L"hold-taskbar") {
    HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!holder) return 1;
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof(icon);
    icon.hWnd = holder;
    icon.uID = 1;
    icon.uFlags = NIF_ICON;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    Shell_NotifyIconW(NIM_ADD, &icon);
    WaitFor(argc > 2 ? Number(argv[2]) : 60000, [] { return FindWindowW(L"TForm3", nullptr) != nullptr; });
    Sleep(200);
    Shell_NotifyIconW(NIM_DELETE, &icon);
    DestroyWindow(holder);
    return 0;
  }
  if (command == L"work-area-ready") {
    // One look per process: Wine keeps a process's first answer about the work area.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work.bottom - work.top < GetSystemMetrics(SM_CYSCREEN) ? 0 : 1;
  }
  if (command == L"popup-state") {
    HWND popup = FindWindowW(L"TForm3", L"Drivewarden");
    if (!popup) return 2;
    RECT rect{};
    GetWindowRect(popup, &rect);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    bool visible = IsWindowVisible(popup);
    std::printf("%s %ld %ld %ld %ld %ld %ld %ld %ld\n", visible ? "visible" : "hidden", rect.left, rect.top, rect.right,
                rect.bottom, work.left, work.top, work.right, work.bottom);
    return visible ? 0 : 1;
  }
  if (command == L"define-drive" && argc > 3)
    return dw::DefineWineDrive(argv[2][0], dw::WideToUtf8(argv[3]), DRIVE_REMOVABLE) ? 0 : 1;
  if (command == L"remove-drive" && argc > 2) return dw::RemoveWineDrive(argv[2][0]) ? 0 : 1;
  if (command == L"announce" && argc > 3) return Announce(argv[2], argv[3][0]);
  if (command == L"watch-devices") return WatchDevices(argc > 2 ? Number(argv[2]) : 5000);
  if (command == L"cursor" && argc > 3)
    return SetCursorPos(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3]))) ? 0 : 1;

  HWND panel = Panel();
  if (!panel) return 2;
  if (command == L"list-rows" && argc > 2) return ListRows(panel, Number(argv[2]));
  if (command == L"current-page") {
    HWND tabs = FindWindowExW(panel, nullptr, WC_TABCONTROLW, nullptr);
    if (!tabs) return 2;
    std::printf("%ld\n", static_cast<long>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
    return 0;
  }
  if (command == L"click" && argc > 2) return Click(panel, argv[2]);
  if (command == L"select-row" && argc > 3) return SelectRow(panel, Number(argv[2]), static_cast<int>(Number(argv[3])));
  if (command == L"click-box" && argc > 3) return ClickBox(panel, Number(argv[2]), static_cast<int>(Number(argv[3])));
  if (command == L"ticked-rows" && argc > 2) return TickedRows(panel, Number(argv[2]));
  if (command == L"menu-pick" && argc > 3) return MenuPick(panel, argv[2], Number(argv[3]));
  if (command == L"answer-box" && argc > 4)
    return AnswerBox(panel, argv[2], static_cast<int>(Number(argv[3])), Number(argv[4]));
  if (command == L"panel-visible") {
    bool visible = IsWindowVisible(panel);
    std::printf("%s\n", visible ? "visible" : "hidden");
    return visible ? 0 : 1;
  }
  if (command == L"panel-minimized") return IsIconic(panel) ? 0 : 1;
  if (command == L"panel-client") {
    RECT client{};
    GetClientRect(panel, &client);
    std::printf("%ld %ld\n", client.right, client.bottom);
    return 0;
  }
  if (command == L"close-panel") return PostMessageW(panel, WM_CLOSE, 0, 0) ? 0 : 1;
  if (command == L"show-page" && argc > 2)
    return ShowPage(panel, static_cast<int>(Number(argv[2])), argc > 3 ? Number(argv[3]) : 10000);
  if (command == L"panel-click" && argc > 3) {
    LPARAM at = MAKELPARAM(Number(argv[2]), Number(argv[3]));
    PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at);
    return PostMessageW(panel, WM_LBUTTONUP, 0, at) ? 0 : 1;
  }
  if (command == L"tray-click") return PostMessageW(panel, kTrayCallback, 1, WM_LBUTTONUP) ? 0 : 1;
  if (command == L"tray-menu" && argc > 3) {
    SetCursorPos(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3])));
    return PostMessageW(panel, kTrayCallback, 1, WM_RBUTTONUP) ? 0 : 1;
  }
  if (command == L"autoplay") {
    UINT query = RegisterWindowMessageW(L"QueryCancelAutoPlay");
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(panel, query, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer)) return 1;
    std::printf("%lu\n", static_cast<unsigned long>(answer));
    return 0;
  }
  if (command == L"end-session") {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(panel, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer);
    if (!answer) return 1;
    return SendMessageTimeoutW(panel, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer) ? 0 : 1;
  }
  return 3;
}
