// One window per windowed component, and the model's changes applied to it.
#include <string>

#include "ui/win32/FormWindow.h"
#include "ui/win32/Pictures.h"

namespace dw::win32 {

namespace {

using K = TComponentKind;

constexpr int kFirstControlId = 1000;
// The list a drop-down box opens, below its closed height.
constexpr int kDropDownHeight = 160;

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

bool IsButtonKind(K kind) {
  return kind == K::Button || kind == K::BitBtn || kind == K::SpeedButton || kind == K::CheckBox ||
         kind == K::RadioButton;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

TBoundControl* TFormWindow::Bound(const TComponent* component) {
  auto it = FIndex.find(component);
  return it == FIndex.end() ? nullptr : &FControls[it->second];
}

TBoundControl* TFormWindow::BoundByWindow(HWND window, int* choice) {
  if (!window) return nullptr;
  for (TBoundControl& bound : FControls) {
    if (bound.Window == window) return &bound;
    for (size_t i = 0; i < bound.Choices.size(); ++i) {
      if (bound.Choices[i] != window) continue;
      if (choice) *choice = static_cast<int>(i);
      return &bound;
    }
  }
  return nullptr;
}

HWND TFormWindow::ParentWindowOf(const TBoundControl& bound) const {
  if (!bound.Container) return Handle();
  auto it = FIndex.find(bound.Container);
  if (it == FIndex.end() || !FControls[it->second].Host) return Handle();
  return FControls[it->second].Host->Handle();
}

RECT TFormWindow::ScaledPlace(const TBoundControl& bound) const {
  const TComponent& c = *bound.Component;
  if (c.Kind() == K::TabSheet) {
    if (TComponent* pageControl = FForm.Find(c.ParentName())) {
      auto it = FIndex.find(pageControl);
      if (it != FIndex.end()) return SheetArea(FControls[it->second]);
    }
  }
  const TPlace& p = c.Place();
  int left = FDpi.Scale(p.Left), top = FDpi.Scale(p.Top);
  // A zero size means the kind's natural one; windowless labels measure themselves.
  int width = FDpi.Scale(p.Width > 0 ? p.Width : 75);
  int height = FDpi.Scale(p.Height > 0 ? p.Height : 25);
  return {left, top, left + width, top + height};
}

HFONT TFormWindow::FontFor(const TComponent& component) {
  const TFont& font = component.Font();
  bool parentFont = component.ParentFont();
  std::wstring face = parentFont ? FForm.FontFace() : font.Face;
  int size = parentFont || font.Size <= 0 ? FForm.Style().FontSize : font.Size;
  bool bold = !parentFont && font.Bold;
  bool underline = !parentFont && font.Underline;
  auto key = std::make_tuple(face, size, bold, underline);
  auto it = FFonts.find(key);
  if (it != FFonts.end()) return it->second.Get();
  TFontHandle handle(CreateFontW(FDpi.FontHeight(size), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  HFONT result = handle.Get();
  FFonts.emplace(key, std::move(handle));
  return result;
}

TColor TFormWindow::BackgroundColor(TComponent* container) const {
  if (container && container->Kind() == K::Panel && container->Color() != kClDefault) return container->Color();
  if (!container || container->Kind() == K::Panel) return FForm.Color();
  return kClDefault;
}

HBRUSH TFormWindow::BackgroundBrush(TComponent* container) {
  TColor color = BackgroundColor(container);
  if (color == kClDefault) return GetSysColorBrush(COLOR_BTNFACE);
  auto it = FBrushes.find(color);
  if (it != FBrushes.end()) return it->second.Get();
  TBrushHandle brush(CreateSolidBrush(color));
  HBRUSH result = brush.Get();
  FBrushes.emplace(color, std::move(brush));
  return result;
}

void TFormWindow::CreateControl(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  HWND parent = ParentWindowOf(bound);
  RECT r = ScaledPlace(bound);
  DWORD visible = c.Visible() ? WS_VISIBLE : 0;
  DWORD disabled = c.Enabled() ? 0 : WS_DISABLED;
  HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + FIndex[&c]));
  auto make = [&](DWORD exStyle, const wchar_t* className, const std::wstring& text, DWORD style, int height) {
    bound.Window =
        CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | visible | disabled | style,
                        r.left, r.top, Width(r), height, parent, id, GetModuleHandleW(nullptr), nullptr);
  };

  switch (c.Kind()) {
    case K::Button:
    case K::SpeedButton:
    case K::BitBtn:
      make(0, WC_BUTTONW, c.Caption(), WS_TABSTOP | BS_PUSHBUTTON | (c.HasOption(kOptWordWrap) ? BS_MULTILINE : 0),
           Height(r));
      break;
    case K::CheckBox: make(0, WC_BUTTONW, c.Caption(), WS_TABSTOP | BS_AUTOCHECKBOX, Height(r)); break;
    case K::RadioButton: make(0, WC_BUTTONW, c.Caption(), WS_TABSTOP | BS_AUTORADIOBUTTON, Height(r)); break;
    case K::Edit: make(WS_EX_CLIENTEDGE, WC_EDITW, c.Text(), WS_TABSTOP | ES_AUTOHSCROLL, Height(r)); break;
    case K::ComboBox:
      make(0, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, Height(r) + FDpi.Scale(kDropDownHeight));
      break;
    case K::ListView: CreateListView(bound, parent); break;
    case K::RadioGroup: CreateRadioGroup(bound, parent); break;
    case K::PageControl: CreatePageControl(bound, parent); break;
    case K::TabSheet: CreateTabSheet(bound); break;
    case K::Panel:
    case K::GroupBox:
      bound.Host = std::make_unique<TContainerWindow>(*this, c);
      bound.Host->Create(parent, r, c.Visible());
      if (c.Kind() == K::GroupBox) {
        bound.Frame =
            CreateWindowExW(0, WC_BUTTONW, c.Caption().c_str(), WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, Width(r),
                            Height(r), bound.Host->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
      }
      break;
    case K::Label:
    case K::Shape:
    case K::Image: MeasureWindowless(bound); return;
    case K::Timer: ApplyTimer(bound); return;
    default: return;  // menus, image lists and dialogs have no window of their own
  }
  ApplyFont(bound);
  ApplyItems(bound);
  ApplyText(bound);
  ApplyHint(bound);
  ApplyPicture(bound);
}

void TFormWindow::CreateRadioGroup(TBoundControl& bound, HWND parent) {
  TComponent& c = *bound.Component;
  RECT r = ScaledPlace(bound);
  DWORD visible = c.Visible() ? WS_VISIBLE : 0;
  bound.Frame =
      CreateWindowExW(0, WC_BUTTONW, c.Caption().c_str(), WS_CHILD | WS_CLIPSIBLINGS | visible | BS_GROUPBOX, r.left,
                      r.top, Width(r), Height(r), parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  ApplyItems(bound);
}

void TFormWindow::LayoutRadioGroup(TBoundControl& bound) {
  if (!bound.Frame || bound.Choices.empty()) return;
  RECT r = ScaledPlace(bound);
  MoveWindow(bound.Frame, r.left, r.top, Width(r), Height(r), TRUE);
  // As the classic radio group arranges its buttons: one column under the caption,
  // the height shared out evenly.
  TEXTMETRICW metrics{};
  {
    TWindowDC dc(bound.Frame);
    TSelectObject font(dc.DC(), FontFor(*bound.Component));
    GetTextMetricsW(dc.DC(), &metrics);
  }
  int count = static_cast<int>(bound.Choices.size());
  int usable = Height(r) - metrics.tmHeight - FDpi.Scale(5);
  int buttonHeight = usable / count;
  int topMargin = metrics.tmHeight + 1 + (usable % count) / 2;
  int buttonWidth = Width(r) - FDpi.Scale(10);
  for (int i = 0; i < count; ++i)
    MoveWindow(bound.Choices[static_cast<size_t>(i)], r.left + FDpi.Scale(8), r.top + topMargin + i * buttonHeight,
               buttonWidth - FDpi.Scale(8), buttonHeight, TRUE);
}

void TFormWindow::CreatePageControl(TBoundControl& bound, HWND parent) {
  TComponent& c = *bound.Component;
  RECT r = ScaledPlace(bound);
  bound.Window = CreateWindowExW(
      WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"",
      WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | (c.Visible() ? WS_VISIBLE : 0), r.left, r.top,
      Width(r), Height(r), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + FIndex[&c])),
      GetModuleHandleW(nullptr), nullptr);
  // The font first: the tabs' height, and so the sheets' area, follow from it.
  SendMessageW(bound.Window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
  int index = 0;
  for (TComponent* sheet : FForm.ChildrenOf(c.Name())) {
    if (sheet->Kind() != K::TabSheet) continue;
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(sheet->Caption().c_str());
    SendMessageW(bound.Window, TCM_INSERTITEMW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
  }
}

RECT TFormWindow::SheetArea(const TBoundControl& pageControl) const {
  RECT area{};
  if (!pageControl.Window) return area;
  GetClientRect(pageControl.Window, &area);
  SendMessageW(pageControl.Window, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  return area;
}

void TFormWindow::CreateTabSheet(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  TComponent* pageControl = FForm.Find(c.ParentName());
  TBoundControl* owner = pageControl ? Bound(pageControl) : nullptr;
  if (!owner || !owner->Window) return;
  bound.Host = std::make_unique<TContainerWindow>(*this, c);
  bound.Host->Create(owner->Window, SheetArea(*owner), pageControl->ActivePage() == c.Name());
}

void TFormWindow::ApplyPlace(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  switch (c.Kind()) {
    case K::Label:
    case K::Shape:
    case K::Image:
      InvalidateWindowless(bound);
      MeasureWindowless(bound);
      InvalidateWindowless(bound);
      return;
    case K::RadioGroup: LayoutRadioGroup(bound); return;
    default: break;
  }
  RECT r = ScaledPlace(bound);
  if (bound.Host) {
    MoveWindow(bound.Host->Handle(), r.left, r.top, Width(r), Height(r), TRUE);
    if (bound.Frame) MoveWindow(bound.Frame, 0, 0, Width(r), Height(r), TRUE);
    return;
  }
  if (!bound.Window) return;
  int height = Height(r) + (c.Kind() == K::ComboBox ? FDpi.Scale(kDropDownHeight) : 0);
  MoveWindow(bound.Window, r.left, r.top, Width(r), height, TRUE);
  if (c.Kind() == K::PageControl) {
    for (TComponent* sheet : FForm.ChildrenOf(c.Name()))
      if (TBoundControl* sheetBound = Bound(sheet)) ApplyPlace(*sheetBound);
  }
}

void TFormWindow::ApplyCaption(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  switch (c.Kind()) {
    case K::Label:
      ApplyPlace(bound);  // a label without a set size fits its text
      return;
    case K::TabSheet: {
      TComponent* pageControl = FForm.Find(c.ParentName());
      TBoundControl* owner = pageControl ? Bound(pageControl) : nullptr;
      if (!owner || !owner->Window) return;
      int index = 0;
      for (TComponent* sheet : FForm.ChildrenOf(pageControl->Name())) {
        if (sheet->Kind() != K::TabSheet) continue;
        if (sheet == &c) {
          TCITEMW item{};
          item.mask = TCIF_TEXT;
          item.pszText = const_cast<wchar_t*>(c.Caption().c_str());
          SendMessageW(owner->Window, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
          return;
        }
        ++index;
      }
      return;
    }
    case K::Panel:
      if (bound.Host) InvalidateRect(bound.Host->Handle(), nullptr, TRUE);
      return;
    default: break;
  }
  if (bound.Frame) SetWindowTextW(bound.Frame, c.Caption().c_str());
  if (bound.Window && IsButtonKind(c.Kind())) SetWindowTextW(bound.Window, c.Caption().c_str());
}

void TFormWindow::ApplyText(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() != K::Edit || !bound.Window) return;
  if (WindowText(bound.Window) == c.Text()) return;
  TUpdating updating(FUpdating);
  SetWindowTextW(bound.Window, c.Text().c_str());
}

void TFormWindow::ApplyItems(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() == K::ComboBox && bound.Window) {
    TUpdating updating(FUpdating);
    SendMessageW(bound.Window, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& item : c.Items())
      SendMessageW(bound.Window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    ApplyItemIndex(bound);
    return;
  }
  if (c.Kind() != K::RadioGroup || !bound.Frame) return;
  for (HWND choice : bound.Choices) DestroyWindow(choice);
  bound.Choices.clear();
  HWND parent = ParentWindowOf(bound);
  for (size_t i = 0; i < c.Items().size(); ++i) {
    // Plain radio buttons: the model's ItemIndex decides which one is checked.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | BS_RADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0) |
                  (c.Visible() ? WS_VISIBLE : 0) | (c.Enabled() ? 0 : WS_DISABLED);
    HWND choice = CreateWindowExW(0, WC_BUTTONW, c.Items()[i].c_str(), style, 0, 0, 0, 0, parent, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SendMessageW(choice, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
    bound.Choices.push_back(choice);
  }
  // Behind its buttons, or its painting covers them.
  SetWindowPos(bound.Frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  LayoutRadioGroup(bound);
  ApplyItemIndex(bound);
}

void TFormWindow::ApplyItemIndex(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  TUpdating updating(FUpdating);
  if (c.Kind() == K::ComboBox && bound.Window) {
    SendMessageW(bound.Window, CB_SETCURSEL, static_cast<WPARAM>(c.ItemIndex()), 0);
    return;
  }
  for (size_t i = 0; i < bound.Choices.size(); ++i)
    SendMessageW(bound.Choices[i], BM_SETCHECK, static_cast<int>(i) == c.ItemIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TFormWindow::ApplyEnabled(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  BOOL enabled = c.Enabled() ? TRUE : FALSE;
  if (c.Kind() == K::Timer) {
    ApplyTimer(bound);
    return;
  }
  if (bound.Window) EnableWindow(bound.Window, enabled);
  if (bound.Frame) EnableWindow(bound.Frame, enabled);
  if (bound.Host) EnableWindow(bound.Host->Handle(), enabled);
  for (HWND choice : bound.Choices) EnableWindow(choice, enabled);
  InvalidateWindowless(bound);
}

void TFormWindow::ApplyVisible(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() == K::TabSheet) return;  // the active page decides
  int show = c.Visible() ? SW_SHOW : SW_HIDE;
  if (bound.Window) ShowWindow(bound.Window, show);
  if (bound.Frame && !bound.Host) ShowWindow(bound.Frame, show);
  if (bound.Host) ShowWindow(bound.Host->Handle(), show);
  for (HWND choice : bound.Choices) ShowWindow(choice, show);
  InvalidateWindowless(bound);
}

void TFormWindow::ApplyFont(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  switch (c.Kind()) {
    case K::Label: ApplyPlace(bound); return;
    case K::Timer:
    case K::MenuItem:
    case K::PopupMenu:
    case K::ImageList:
    case K::OpenDialog:
    case K::Shape:
    case K::Image: return;
    default: break;
  }
  WPARAM font = reinterpret_cast<WPARAM>(FontFor(c));
  if (bound.Window) SendMessageW(bound.Window, WM_SETFONT, font, TRUE);
  if (bound.Frame) SendMessageW(bound.Frame, WM_SETFONT, font, TRUE);
  for (HWND choice : bound.Choices) SendMessageW(choice, WM_SETFONT, font, TRUE);
  if (bound.Host) InvalidateRect(bound.Host->Handle(), nullptr, TRUE);
  if (c.Kind() == K::RadioGroup) LayoutRadioGroup(bound);
  if (c.Kind() == K::PageControl) ApplyPlace(bound);
}

void TFormWindow::ApplyHint(TBoundControl& bound) {
  if (!FToolTip || !bound.Window) return;
  const std::wstring& hint = bound.Component->Hint();
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(bound.Window);
  tool.uId = reinterpret_cast<UINT_PTR>(bound.Window);
  tool.lpszText = const_cast<wchar_t*>(hint.c_str());
  SendMessageW(FToolTip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (!hint.empty()) SendMessageW(FToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TFormWindow::ApplyPicture(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() != K::BitBtn || !bound.Window) return;
  TIconHandle picture = DrawPicture(c.Picture(), 0, SystemMetric(SM_CXSMICON, FDpi));
  SendMessageW(bound.Window, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(picture.Get()));
  bound.Picture = std::move(picture);
}

void TFormWindow::ApplyTimer(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (bound.TimerId) {
    KillTimer(Handle(), bound.TimerId);
    bound.TimerId = 0;
  }
  if (!c.Enabled() || c.Interval() <= 0 || !Handle()) return;
  bound.TimerId = FNextTimerId++;
  SetTimer(Handle(), bound.TimerId, static_cast<UINT>(c.Interval()), nullptr);
}

void TFormWindow::ApplyActivePage(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() != K::PageControl || !bound.Window) return;
  int index = 0;
  for (TComponent* sheet : FForm.ChildrenOf(c.Name())) {
    if (sheet->Kind() != K::TabSheet) continue;
    bool active = sheet->Name() == c.ActivePage();
    if (active) {
      TUpdating updating(FUpdating);
      SendMessageW(bound.Window, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    if (TBoundControl* sheetBound = Bound(sheet); sheetBound && sheetBound->Host)
      ShowWindow(sheetBound->Host->Handle(), active ? SW_SHOW : SW_HIDE);
    ++index;
  }
}

bool TFormWindow::OnCommand(HWND control, UINT code) {
  int choice = -1;
  TBoundControl* bound = BoundByWindow(control, &choice);
  if (!bound) return false;
  if (FUpdating) return true;
  TComponent& c = *bound->Component;
  switch (c.Kind()) {
    case K::RadioGroup:
      // A click on the choice already made changes nothing, so nothing runs.
      if (code == BN_CLICKED && choice >= 0 && choice != c.ItemIndex()) {
        c.SetItemIndex(choice);
        RunEvent(c.OnClick, c);
      }
      return true;
    case K::Edit:
      if (code == EN_CHANGE) {
        c.SetText(WindowText(control));
        RunEvent(c.OnChange, c);
      }
      return true;
    case K::ComboBox:
      if (code == CBN_SELCHANGE) {
        c.SetItemIndex(static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
        RunEvent(c.OnClick, c);
        RunEvent(c.OnChange, c);
      }
      return true;
    default:
      if (IsButtonKind(c.Kind()) && code == BN_CLICKED) RunEvent(c.OnClick, c);
      return true;
  }
}

bool TFormWindow::IsShowing(const TBoundControl& bound) const { return bound.Component->Visible(); }

}  // namespace dw::win32
