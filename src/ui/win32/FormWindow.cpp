#include "ui/win32/FormWindow.h"

#include "platform/Caught.h"
#include "ui/win32/Pictures.h"

namespace dw::win32 {

TFormWindow::TFormWindow(TForm& form) : FForm(form) {}

TFormWindow::~TFormWindow() {
  if (FForm.Observer() == this) FForm.SetObserver(nullptr);
  // The children go down with the form's window; their objects stay until the members go.
  DestroyHandle();
  if (FHiddenOwner) DestroyWindow(FHiddenOwner);
}

void TFormWindow::RunEvent(const TNotifyEvent& event, TComponent& sender) {
  if (!event) return;
  try {
    event(sender);
  } catch (...) {
    // A handler that fails ends there, as a failing command does; the window goes on.
    RecordCaught("event handler");
  }
}

DWORD TFormWindow::FormStyle() const {
  DWORD style = WS_CLIPCHILDREN;
  switch (FForm.Style().Border) {
    case TFormBorder::Fixed: return style | WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case TFormBorder::None: return style | WS_POPUP;
    case TFormBorder::Sizeable: break;
  }
  return style | WS_OVERLAPPEDWINDOW;
}

DWORD TFormWindow::FormExStyle() const {
  DWORD style = WS_EX_CONTROLPARENT;
  if (FForm.Style().AppWindow) style |= WS_EX_APPWINDOW;
  if (FForm.Style().ToolWindow) style |= WS_EX_TOOLWINDOW;
  if (FForm.Style().StayOnTop) style |= WS_EX_TOPMOST;
  return style;
}

bool TFormWindow::Create() {
  const std::wstring& className = FForm.ClassName();
  RegisterBoundClass(className.c_str());
  // Some taskbars (Wine's) give any visible unowned window a button, tool window or
  // not; an owner that is never shown keeps it off them all.
  if (FForm.Style().ToolWindow && !FHiddenOwner)
    FHiddenOwner =
        CreateWindowExW(0, WC_STATICW, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!CreateBound(FormExStyle(), className.c_str(), FForm.Caption().c_str(), FormStyle(), CW_USEDEFAULT, CW_USEDEFAULT,
                   0, 0, FHiddenOwner, nullptr))
    return false;
  FDpi = DpiForWindow(Handle());
  SizeToClient();

  if (FForm.Style().ShowHints) {
    FToolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (FToolTip) SendMessageW(FToolTip, TTM_SETMAXTIPWIDTH, 0, FDpi.Scale(320));
  }

  CreateComponents();
  FForm.SetObserver(this);
  ApplyIcon();
  if (FForm.Visible()) ShowForm(true);
  return true;
}

void TFormWindow::SizeToClient() {
  RECT rect{0, 0, FDpi.Scale(FForm.Style().ClientWidth), FDpi.Scale(FForm.Style().ClientHeight)};
  AdjustWindowRectForDpi(rect, FormStyle(), FormExStyle(), FDpi);
  SetWindowPos(Handle(), nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormWindow::CreateComponents() {
  const auto& components = FForm.Components();
  // Reserved once: containers and the maps below hold pointers into it.
  FControls.clear();
  FControls.reserve(components.size());
  for (const auto& component : components) {
    TBoundControl bound;
    bound.Component = component.get();
    if (TComponent* parent = FForm.Find(component->ParentName())) {
      switch (parent->Kind()) {
        case TComponentKind::Panel:
        case TComponentKind::TabSheet:
        case TComponentKind::GroupBox: bound.Container = parent; break;
        default: break;
      }
    }
    FIndex[component.get()] = FControls.size();
    FControls.push_back(std::move(bound));
  }
  for (TBoundControl& bound : FControls) CreateControl(bound);
  // A group box's frame goes behind the controls it holds, or its painting covers them.
  for (TBoundControl& bound : FControls)
    if (bound.Frame) SetWindowPos(bound.Frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HWND TFormWindow::ComponentWindow(std::wstring_view name) const {
  TComponent* component = FForm.Find(name);
  if (!component) return nullptr;
  auto it = FIndex.find(component);
  if (it == FIndex.end()) return nullptr;
  const TBoundControl& bound = FControls[it->second];
  if (bound.Host) return bound.Host->Handle();
  return bound.Window ? bound.Window : bound.Frame;
}

LRESULT TFormWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (PreviewMessage(message, wParam, lParam, result)) return result;
  if (ContainerMessage(nullptr, Handle(), message, wParam, lParam, result)) return result;
  switch (message) {
    case WM_CLOSE: OnClose(); return 0;
    case WM_SIZE: OnSize(wParam); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_SETTINGCHANGE:
      // A taskbar that appears or moves while a corner window shows would cover it.
      if (wParam == SPI_SETWORKAREA && FForm.Style().Position == TFormPosition::WorkAreaCorner &&
          IsWindowVisible(Handle()))
        ApplyPosition();
      return DefaultProc(message, wParam, lParam);
    case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
    case kDeferredClickMessage:
      // The control may have gone in between.
      if (TBoundControl* bound = BoundByWindow(reinterpret_cast<HWND>(wParam)))
        RunEvent(bound->Component->OnClick, *bound->Component);
      return 0;
    default: return DefaultProc(message, wParam, lParam);
  }
}

// Closing a form hides it; the program goes on behind it.
void TFormWindow::OnClose() { FForm.Hide(); }

void TFormWindow::OnSize(WPARAM kind) {
  if (!IsWindowVisible(Handle())) return;
  switch (kind) {
    case SIZE_MINIMIZED: FForm.SetWindowState(TWindowState::Minimized); break;
    case SIZE_MAXIMIZED: FForm.SetWindowState(TWindowState::Maximized); break;
    case SIZE_RESTORED: FForm.SetWindowState(TWindowState::Normal); break;
    default: break;
  }
}

void TFormWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
  FDpi = TDpi(dpi);
  // The old fonts stay alive until every control has its new one.
  auto oldFonts = std::move(FFonts);
  FFonts.clear();
  SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SizeToClient();
  if (FToolTip) SendMessageW(FToolTip, TTM_SETMAXTIPWIDTH, 0, FDpi.Scale(320));
  ApplyFontEverywhere();
  for (TBoundControl& bound : FControls) {
    ApplyPlace(bound);
    if (bound.Component->Kind() == TComponentKind::ListView) ApplyColumns(bound);
    if (bound.Component->Kind() == TComponentKind::BitBtn) ApplyPicture(bound);
  }
  ApplyIcon();
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TFormWindow::ShowForm(bool visible) {
  const TFormSlide slide = FForm.Slide();
  if (!visible) {
    // AnimateWindow refuses a window that is already hidden; the window is hidden either way.
    if (slide != TFormSlide::Down || !AnimateWindow(Handle(), kSlideMs, AW_SLIDE | AW_HIDE | AW_VER_POSITIVE))
      ShowWindow(Handle(), SW_HIDE);
    return;
  }
  if (IsIconic(Handle()) && FForm.WindowState() != TWindowState::Minimized) {
    // Minimized while hidden, it would come back as a button on the desktop.
    ShowWindow(Handle(), SW_RESTORE);
    ShowWindow(Handle(), SW_HIDE);
  }
  if (!FShownOnce || FForm.Style().Position == TFormPosition::WorkAreaCorner) ApplyPosition();
  FShownOnce = true;
  if (slide == TFormSlide::Up) {
    // The slide shows what the window prints of itself: its contents must be up to date.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // A notice that slides in never takes the keyboard from what the user is typing into.
    if (AnimateWindow(Handle(), kSlideMs, AW_SLIDE | AW_VER_NEGATIVE)) {
      RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      return;
    }
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    return;
  }
  ShowWindow(Handle(), FForm.WindowState() == TWindowState::Minimized ? SW_SHOWMINIMIZED : SW_SHOW);
}

namespace {

// The primary screen without the taskbar. Wine keeps SPI_GETWORKAREA's answer from
// the first time a process asks, before the taskbar of a desktop started with the
// program may have taken its place; the monitor's own record follows the taskbar.
RECT PrimaryWorkArea() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor)) return monitor.rcWork;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

}  // namespace

void TFormWindow::ApplyPosition() {
  const TFormPosition position = FForm.Style().Position;
  if (position == TFormPosition::Default) return;
  RECT work = PrimaryWorkArea();
  RECT window{};
  GetWindowRect(Handle(), &window);
  int width = window.right - window.left, height = window.bottom - window.top;
  // The corner of the work area, whichever side the taskbar is on.
  int left = work.right - width, top = work.bottom - height;
  if (position == TFormPosition::Centred) {
    left = work.left + (work.right - work.left - width) / 2;
    top = work.top + (work.bottom - work.top - height) / 2;
  }
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormWindow::ApplyWindowState() {
  if (!IsWindowVisible(Handle())) return;
  switch (FForm.WindowState()) {
    case TWindowState::Minimized:
      if (!IsIconic(Handle())) ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case TWindowState::Maximized:
      if (!IsZoomed(Handle())) ShowWindow(Handle(), SW_MAXIMIZE);
      break;
    case TWindowState::Normal:
      if (IsIconic(Handle()) || IsZoomed(Handle())) ShowWindow(Handle(), SW_RESTORE);
      break;
  }
}

void TFormWindow::ApplyIcon() {
  const TComponent* imageList = nullptr;
  for (const auto& component : FForm.Components())
    if (component->Kind() == TComponentKind::ImageList) imageList = component.get();
  if (!imageList) return;
  TIconHandle small = DrawPicture(imageList->Picture(), FForm.IconIndex(), SystemMetric(SM_CXSMICON, FDpi));
  TIconHandle big = DrawPicture(imageList->Picture(), FForm.IconIndex(), SystemMetric(SM_CXICON, FDpi));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
  // The window no longer uses the old icons once the new ones are set.
  FSmallIcon = std::move(small);
  FBigIcon = std::move(big);
}

void TFormWindow::ApplyFontEverywhere() {
  for (TBoundControl& bound : FControls) ApplyFont(bound);
}

void TFormWindow::FormChanged(TForm& form, TProperty property) {
  switch (property) {
    case TProperty::Caption: SetWindowTextW(Handle(), form.Caption().c_str()); break;
    case TProperty::Font:
      ApplyFontEverywhere();
      InvalidateRect(Handle(), nullptr, TRUE);
      break;
    case TProperty::Visible: ShowForm(form.Visible()); break;
    case TProperty::WindowState: ApplyWindowState(); break;
    case TProperty::Icon: ApplyIcon(); break;
    case TProperty::BringToFront:
      if (IsWindowVisible(Handle())) SetForegroundWindow(Handle());
      break;
    case TProperty::Color:
      RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      break;
    case TProperty::Place: ApplyPosition(); break;
    default: break;
  }
}

void TFormWindow::Changed(TComponent& component, TProperty property) {
  TBoundControl* bound = Bound(&component);
  if (property == TProperty::Popup) {
    POINT cursor{};
    GetCursorPos(&cursor);
    OpenPopupMenu(component, cursor);
    return;
  }
  if (!bound) return;  // run-time menu items: menus are built when they open
  switch (property) {
    case TProperty::Place: ApplyPlace(*bound); break;
    case TProperty::Caption: ApplyCaption(*bound); break;
    case TProperty::Hint: ApplyHint(*bound); break;
    case TProperty::Text: ApplyText(*bound); break;
    case TProperty::Items: ApplyItems(*bound); break;
    case TProperty::ItemIndex: ApplyItemIndex(*bound); break;
    case TProperty::Columns: ApplyColumns(*bound); break;
    case TProperty::Rows: ApplyRows(*bound); break;
    case TProperty::Checked: ApplyChecked(*bound); break;
    case TProperty::Selected: ApplySelected(*bound); break;
    case TProperty::Enabled: ApplyEnabled(*bound); break;
    case TProperty::Visible: ApplyVisible(*bound); break;
    case TProperty::Color:
    case TProperty::Alignment:
      InvalidateWindowless(*bound);
      if (bound->Host) InvalidateRect(bound->Host->Handle(), nullptr, TRUE);
      break;
    case TProperty::Font: ApplyFont(*bound); break;
    case TProperty::Options:
      ApplyListOptions(*bound);
      InvalidateWindowless(*bound);
      break;
    case TProperty::Picture: ApplyPicture(*bound); break;
    case TProperty::Interval: ApplyTimer(*bound); break;
    case TProperty::ActivePage: ApplyActivePage(*bound); break;
    default: break;
  }
}

void TFormWindow::OnTimer(UINT_PTR id) {
  for (TBoundControl& bound : FControls) {
    if (bound.TimerId != id) continue;
    if (bound.Component->Enabled()) RunEvent(bound.Component->OnTimer, *bound.Component);
    return;
  }
}

}  // namespace dw::win32
