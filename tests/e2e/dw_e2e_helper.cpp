// Drives a running drivewarden.exe from outside, as the shell and the user would,
// for the end-to-end tests. One command per run; the exit code is the answer
// (0 yes/done, 1 no/timed out, 2 no such window, 3 bad usage). Without a command,
// or with one it does not know, it prints the commands it knows.
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

// The visible popup menu of the program that owns the panel.
HWND ProgramMenu(HWND panel) {
  DWORD program = 0;
  GetWindowThreadProcessId(panel, &program);
  for (HWND candidate = FindWindowW(L"#32768", nullptr); candidate;
       candidate = FindWindowExW(nullptr, candidate, L"#32768", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    if (owner == program && IsWindowVisible(candidate)) return candidate;
  }
  return nullptr;
}

// A popup menu's window belongs to the thread that tracks it, whose loop takes
// every key posted to that thread: the keys the user would press.
int MenuPick(HWND panel, const std::wstring& path, DWORD ms) {
  HWND menu = nullptr;
  if (!WaitFor(ms, [&] { return (menu = ProgramMenu(panel)) != nullptr; })) return 1;
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

// The program's visible message box with this caption, waited for up to ms.
HWND ProgramBox(HWND panel, const std::wstring& caption, DWORD ms) {
  DWORD program = 0;
  GetWindowThreadProcessId(panel, &program);
  HWND box = nullptr;
  WaitFor(ms, [&] {
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
  return box;
}

int AnswerBox(HWND panel, const std::wstring& caption, int button, DWORD ms) {
  HWND box = ProgramBox(panel, caption, ms);
  if (!box) return 1;
  HWND control = GetDlgItem(box, button);
  if (!control) return 2;
  return PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
}

// A message box shows its text in a static control of id 0xFFFF.
int BoxText(HWND panel, const std::wstring& caption, DWORD ms) {
  HWND box = ProgramBox(panel, caption, ms);
  if (!box) return 1;
  HWND text = GetDlgItem(box, 0xFFFF);
  if (!text) return 2;
  PrintLine(Text(text));
  return 0;
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

int HoldTaskbar(DWORD ms) {
  HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!holder) return 1;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = holder;
  icon.uID = 1;
  icon.uFlags = NIF_ICON;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  Shell_NotifyIconW(NIM_ADD, &icon);
  WaitFor(ms, [] { return FindWindowW(L"TForm3", nullptr) != nullptr; });
  Sleep(200);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  DestroyWindow(holder);
  return 0;
}

int WorkAreaReady() {
  // One look per process: Wine keeps a process's first answer about the work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work.bottom - work.top < GetSystemMetrics(SM_CYSCREEN) ? 0 : 1;
}

int PopupState() {
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

int ThreadCount(const wchar_t* exeName) {
  DWORD processId = FindProcess(exeName);
  if (!processId) return 2;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 1;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == processId) ++count;
  CloseHandle(snapshot);
  std::printf("%d\n", count);
  return 0;
}

bool HasVisibleWindow(const wchar_t* className) {
  for (HWND window = FindWindowW(className, nullptr); window;
       window = FindWindowExW(nullptr, window, className, nullptr))
    if (IsWindowVisible(window)) return true;
  return false;
}

int AutoPlay(HWND panel) {
  UINT query = RegisterWindowMessageW(L"QueryCancelAutoPlay");
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(panel, query, 0, 0, SMTO_ABORTIFHUNG, 10000, &answer)) return 1;
  std::printf("%lu\n", static_cast<unsigned long>(answer));
  return 0;
}

int EndSession(HWND panel) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(panel, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer);
  if (!answer) return 1;
  return SendMessageTimeoutW(panel, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer) ? 0 : 1;
}

int CurrentPage(HWND panel) {
  HWND tabs = FindWindowExW(panel, nullptr, WC_TABCONTROLW, nullptr);
  if (!tabs) return 2;
  std::printf("%ld\n", static_cast<long>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)));
  return 0;
}

int PanelVisible(HWND panel) {
  bool visible = IsWindowVisible(panel);
  std::printf("%s\n", visible ? "visible" : "hidden");
  return visible ? 0 : 1;
}

int PanelClient(HWND panel) {
  RECT client{};
  GetClientRect(panel, &client);
  std::printf("%ld %ld\n", client.right, client.bottom);
  return 0;
}

int PanelClick(HWND panel, LPARAM at) {
  PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, at);
  return PostMessageW(panel, WM_LBUTTONUP, 0, at) ? 0 : 1;
}

// A command's arguments, the words after its name.
class TArgs {
 public:
  TArgs(int count, wchar_t** values) : FCount(count), FValues(values) {}
  int Count() const { return FCount; }
  const wchar_t* Text(int i) const { return FValues[i]; }
  DWORD Unsigned(int i) const { return Number(FValues[i]); }
  int Int(int i) const { return static_cast<int>(Unsigned(i)); }
  // An optional time-out in milliseconds.
  DWORD Ms(int i, DWORD fallback) const { return i < FCount ? Unsigned(i) : fallback; }

 private:
  int FCount;
  wchar_t** FValues;
};

struct TCommand {
  const wchar_t* name;
  const wchar_t* synopsis;
  const wchar_t* help;
  int required;     // arguments that must be given
  bool needsPanel;  // 2 when the control panel window is missing
  int (*run)(HWND panel, const TArgs& args);
};

// Every command the helper knows, as its usage lists them.
constexpr TCommand kCommands[] = {
    {L"wait-panel", L"[MS]", L"wait until the control panel window exists", 0, false,
     [](HWND, const TArgs& a) { return WaitFor(a.Ms(0, 30000), [] { return Panel() != nullptr; }) ? 0 : 1; }},
    {L"wait-gone", L"[MS]", L"wait until the control panel window no longer exists", 0, false,
     [](HWND, const TArgs& a) { return WaitFor(a.Ms(0, 30000), [] { return Panel() == nullptr; }) ? 0 : 1; }},
    {L"close-main", L"", L"post WM_CLOSE to the hidden main window (message-only)", 0, false,
     [](HWND, const TArgs&) {
       // Message-only windows are found only below HWND_MESSAGE.
       HWND main = FindWindowExW(HWND_MESSAGE, nullptr, L"Tmainfrm", nullptr);
       if (!main) return 2;
       return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
     }},
    {L"window-text", L"CLASS CAPTION [MS]",
     L"wait for a visible top-level window of that class and caption; print its controls' texts (UTF-8)", 2, false,
     [](HWND, const TArgs& a) { return WindowText(a.Text(0), a.Text(1), a.Ms(2, 30000)); }},
    {L"wait-window", L"CLASS [MS]", L"wait for a visible top-level window of that class, whatever its caption", 1,
     false,
     [](HWND, const TArgs& a) { return WaitFor(a.Ms(1, 30000), [&] { return HasVisibleWindow(a.Text(0)); }) ? 0 : 1; }},
    {L"close-window", L"CLASS CAPTION", L"post WM_CLOSE to that window", 2, false,
     [](HWND, const TArgs& a) {
       HWND window = FindWindowW(a.Text(0), a.Text(1));
       if (!window) return 2;
       return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
     }},
    {L"process-line", L"NAME [MS]",
     L"wait for a process running NAME; print its command line, image path and current directory (UTF-8)", 1, false,
     [](HWND, const TArgs& a) {
       DWORD processId = 0;
       if (!WaitFor(a.Ms(1, 30000), [&] { return (processId = FindProcess(a.Text(0))) != 0; })) return 1;
       return PrintProcessLine(processId);
     }},
    {L"threads", L"NAME", L"print how many threads the process running NAME has (2 when none runs it)", 1, false,
     [](HWND, const TArgs& a) { return ThreadCount(a.Text(0)); }},
    {L"hold-taskbar", L"[MS]",
     L"show a tray icon until the pop-up window exists (Wine shows its taskbar only while it has an icon)", 0, false,
     [](HWND, const TArgs& a) { return HoldTaskbar(a.Ms(0, 60000)); }},
    {L"work-area-ready", L"", L"0 when the taskbar has taken its part of the screen", 0, false,
     [](HWND, const TArgs&) { return WorkAreaReady(); }},
    {L"foreground", L"", L"print the class of the foreground window", 0, false,
     [](HWND, const TArgs&) {
       wchar_t name[256] = {};
       if (HWND window = GetForegroundWindow()) GetClassNameW(window, name, 256);
       PrintLine(name);
       return 0;
     }},
    {L"popup-state", L"", L"print the pop-up's visible/hidden, its rectangle and the work area; 0 visible, 1 hidden", 0,
     false, [](HWND, const TArgs&) { return PopupState(); }},
    {L"define-drive", L"L DIR", L"make Unix folder DIR removable drive L through Wine's mount manager", 2, false,
     [](HWND, const TArgs& a) {
       return dw::DefineWineDrive(a.Text(0)[0], dw::WideToUtf8(a.Text(1)), DRIVE_REMOVABLE) ? 0 : 1;
     }},
    {L"remove-drive", L"L", L"take drive L away again through the mount manager", 1, false,
     [](HWND, const TArgs& a) { return dw::RemoveWineDrive(a.Text(0)[0]) ? 0 : 1; }},
    {L"announce", L"EVENT L",
     L"broadcast the volume notice of a USB stick (EVENT arrival or removal) to the top-level windows", 2, false,
     [](HWND, const TArgs& a) { return Announce(a.Text(0), a.Text(1)[0]); }},
    {L"watch-devices", L"[MS]", L"a top-level window prints each volume notice it gets in MS", 0, false,
     [](HWND, const TArgs& a) { return WatchDevices(a.Ms(0, 5000)); }},
    {L"cursor", L"X Y", L"move the cursor to X,Y", 2, false,
     [](HWND, const TArgs& a) { return SetCursorPos(a.Int(0), a.Int(1)) ? 0 : 1; }},
    {L"list-rows", L"N", L"print the rows of the panel's Nth list view, the columns separated by \" | \"", 1, true,
     [](HWND panel, const TArgs& a) { return ListRows(panel, a.Unsigned(0)); }},
    {L"current-page", L"", L"print the index of the page shown", 0, true,
     [](HWND panel, const TArgs&) { return CurrentPage(panel); }},
    {L"click", L"CAPTION", L"press the enabled push button of the panel with this caption", 1, true,
     [](HWND panel, const TArgs& a) { return Click(panel, a.Text(0)); }},
    {L"select-row", L"N ROW", L"select row ROW of the panel's Nth list view, as a click on it does", 2, true,
     [](HWND panel, const TArgs& a) { return SelectRow(panel, a.Unsigned(0), a.Int(1)); }},
    {L"click-box", L"N ROW", L"click the check box of row ROW of the panel's Nth list view", 2, true,
     [](HWND panel, const TArgs& a) { return ClickBox(panel, a.Unsigned(0), a.Int(1)); }},
    {L"ticked-rows", L"N", L"print the numbers (from 0) of the ticked rows of the panel's Nth list view", 1, true,
     [](HWND panel, const TArgs& a) { return TickedRows(panel, a.Unsigned(0)); }},
    {L"wait-menu", L"MS", L"wait until the program has a popup menu open", 1, true,
     [](HWND panel, const TArgs& a) {
       return WaitFor(a.Unsigned(0), [&] { return ProgramMenu(panel) != nullptr; }) ? 0 : 1;
     }},
    {L"menu-pick", L"PATH MS",
     L"choose an item of the program's open popup menu: its number from 0, or numbers joined by / into submenus", 2,
     true, [](HWND panel, const TArgs& a) { return MenuPick(panel, a.Text(0), a.Unsigned(1)); }},
    {L"answer-box", L"CAPTION ID MS",
     L"wait for the program's message box with this caption and press its button ID (6 yes, 7 no, 2 cancel)", 3, true,
     [](HWND panel, const TArgs& a) { return AnswerBox(panel, a.Text(0), a.Int(1), a.Unsigned(2)); }},
    {L"box-text", L"CAPTION MS", L"wait for the program's message box with this caption and print its text (UTF-8)", 2,
     true, [](HWND panel, const TArgs& a) { return BoxText(panel, a.Text(0), a.Unsigned(1)); }},
    {L"panel-visible", L"", L"print visible or hidden; 0 when the control panel is visible", 0, true,
     [](HWND panel, const TArgs&) { return PanelVisible(panel); }},
    {L"panel-minimized", L"", L"0 when the control panel is minimised, 1 when not", 0, true,
     [](HWND panel, const TArgs&) { return IsIconic(panel) ? 0 : 1; }},
    {L"panel-client", L"", L"print the control panel's client width and height", 0, true,
     [](HWND panel, const TArgs&) { return PanelClient(panel); }},
    {L"close-panel", L"", L"post WM_CLOSE to the control panel (its close button)", 0, true,
     [](HWND panel, const TArgs&) { return PostMessageW(panel, WM_CLOSE, 0, 0) ? 0 : 1; }},
    {L"show-page", L"N [MS]", L"switch the page control to page N with the arrow keys", 1, true,
     [](HWND panel, const TArgs& a) { return ShowPage(panel, a.Int(0), a.Ms(1, 10000)); }},
    {L"panel-click", L"X Y", L"the left button released at X,Y of the control panel's client area", 2, true,
     [](HWND panel, const TArgs& a) { return PanelClick(panel, MAKELPARAM(a.Unsigned(0), a.Unsigned(1))); }},
    {L"tray-click", L"", L"the left button released on the tray icon", 0, true,
     [](HWND panel, const TArgs&) { return PostMessageW(panel, kTrayCallback, 1, WM_LBUTTONUP) ? 0 : 1; }},
    {L"tray-menu", L"X Y", L"the cursor moved to X,Y, then the right button released on the tray icon", 2, true,
     [](HWND panel, const TArgs& a) {
       SetCursorPos(a.Int(0), a.Int(1));
       return PostMessageW(panel, kTrayCallback, 1, WM_RBUTTONUP) ? 0 : 1;
     }},
    {L"autoplay", L"", L"print the answer to the shell's QueryCancelAutoPlay", 0, true,
     [](HWND panel, const TArgs&) { return AutoPlay(panel); }},
    {L"end-session", L"", L"the session ends: WM_QUERYENDSESSION, then WM_ENDSESSION", 0, true,
     [](HWND panel, const TArgs&) { return EndSession(panel); }},
};

int Usage() {
  auto call = [](const TCommand& command) { return std::wstring(command.name) + L" " + command.synopsis; };
  int width = 0;
  for (const TCommand& command : kCommands) width = std::max(width, static_cast<int>(call(command).size()));
  std::fprintf(stderr, "usage: dw_e2e_helper COMMAND [ARGUMENTS]; MS is a time-out in milliseconds\n");
  for (const TCommand& command : kCommands)
    std::fprintf(stderr, "  %-*ls  %ls\n", width, call(command).c_str(), command.help);
  return 3;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const TCommand* command = nullptr;
  for (const TCommand& candidate : kCommands)
    if (std::wcscmp(candidate.name, argv[1]) == 0) command = &candidate;
  TArgs args(argc - 2, argv + 2);
  if (!command || args.Count() < command->required) return Usage();
  HWND panel = nullptr;
  if (command->needsPanel && !(panel = Panel())) return 2;
  return command->run(panel, args);
}
