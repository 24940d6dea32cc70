// Containers and the windowless components they paint: labels (link-style ones
// take clicks and show a hand), shapes and images, drawn in layout order.
#include "ui/win32/FormWindow.h"
#include "ui/win32/Pictures.h"

namespace dw::win32 {

namespace {

using K = TComponentKind;

constexpr wchar_t kContainerClass[] = L"DwContainer";

bool IsWindowless(K kind) { return kind == K::Label || kind == K::Shape || kind == K::Image; }

constexpr int kGlyphOverhang = 2;

UINT TextFormat(const TComponent& c) {
  UINT format = DT_NOPREFIX;
  switch (c.Alignment()) {
    case TAlignment::Center: format |= DT_CENTER; break;
    case TAlignment::Right: format |= DT_RIGHT; break;
    case TAlignment::Left: format |= DT_LEFT; break;
  }
  return format | (c.HasOption(kOptWordWrap) ? DT_WORDBREAK : DT_SINGLELINE);
}

}  // namespace

bool TContainerWindow::Create(HWND parent, const RECT& bounds, bool visible) {
  RegisterBoundClass(kContainerClass);
  return CreateBound(WS_EX_CONTROLPARENT, kContainerClass, L"",
                     WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), bounds.left, bounds.top,
                     bounds.right - bounds.left, bounds.bottom - bounds.top, parent, nullptr) != nullptr;
}

LRESULT TContainerWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (FBinder.ContainerMessage(&FComponent, Handle(), message, wParam, lParam, result)) return result;
  return DefaultProc(message, wParam, lParam);
}

bool TFormWindow::ContainerMessage(TComponent* container, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   LRESULT& result) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, BackgroundBrush(container));
      result = 1;
      return true;
    }
    case WM_PAINT: {
      TPaintScope paint(window);
      PaintContainer(container, paint.DC(), paint.Dirty());
      return true;
    }
    case WM_PRINTCLIENT: {
      // What a slide shows: AnimateWindow captures the window through WM_PRINT.
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT client{};
      GetClientRect(window, &client);
      FillRect(dc, &client, BackgroundBrush(container));
      PaintContainer(container, dc, client);
      return true;
    }
    case WM_COMMAND: return lParam != 0 && OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
    case WM_NOTIFY: {
      auto& header = *reinterpret_cast<NMHDR*>(lParam);
      TBoundControl* bound = BoundByWindow(header.hwndFrom);
      if (!bound) return false;
      if (bound->Component->Kind() == K::ListView) return OnListNotify(*bound, header, result);
      if (bound->Component->Kind() == K::PageControl) return OnTabNotify(*bound, header);
      return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      TColor color = BackgroundColor(container);
      SetBkColor(reinterpret_cast<HDC>(wParam), color == kClDefault ? GetSysColor(COLOR_BTNFACE) : color);
      result = reinterpret_cast<LRESULT>(BackgroundBrush(container));
      return true;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) != window || LOWORD(lParam) != HTCLIENT) return false;
      if (!OnSetCursor(container, window)) return false;
      result = TRUE;
      return true;
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      return OnWindowlessClick(container, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, message == WM_LBUTTONDBLCLK);
    default: return false;
  }
}

void TFormWindow::PaintContainer(TComponent* container, HDC dc, const RECT& dirty) {
  if (container && container->Kind() == K::Panel && !container->HasOption(kOptNoBevel)) {
    if (TBoundControl* bound = Bound(container); bound && bound->Host) {
      RECT client{};
      GetClientRect(bound->Host->Handle(), &client);
      UINT edge = BDR_RAISEDINNER | (container->HasOption(kOptLoweredOuter) ? BDR_SUNKENOUTER : 0);
      DrawEdge(dc, &client, edge, BF_RECT);
    }
  }
  for (TBoundControl& bound : FControls) {
    if (bound.Container != container || !IsWindowless(bound.Component->Kind()) || !IsShowing(bound)) continue;
    RECT overlap{};
    if (!IntersectRect(&overlap, &bound.Bounds, &dirty)) continue;
    PaintWindowless(bound, dc);
  }
}

void TFormWindow::PaintWindowless(TBoundControl& bound, HDC dc) {
  TComponent& c = *bound.Component;
  if (c.Kind() == K::Shape) {
    TBrushHandle fill(CreateSolidBrush(c.Color() == kClDefault ? kClWhite : c.Color()));
    FillRect(dc, &bound.Bounds, fill.Get());
    if (!c.HasOption(kOptNoOutline)) FrameRect(dc, &bound.Bounds, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    return;
  }
  if (c.Kind() == K::Image) {
    int size = bound.Bounds.right - bound.Bounds.left;
    TIconHandle icon = DrawPicture(c.Picture(), c.ImageIndex(), size);
    if (icon) DrawIconEx(dc, bound.Bounds.left, bound.Bounds.top, icon.Get(), size, size, 0, nullptr, DI_NORMAL);
    return;
  }
  if (c.Kind() != K::Label) return;
  TSelectObject font(dc, FontFor(c));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  TColor color = c.Font().Color == kClDefault ? GetSysColor(COLOR_WINDOWTEXT) : c.Font().Color;
  if (!c.Enabled()) color = GetSysColor(COLOR_GRAYTEXT);
  COLORREF oldColor = SetTextColor(dc, color);
  RECT text = bound.Bounds;
  if (c.HasOption(kOptVerticalCentre)) {
    // DT_VCENTER works on single lines only; wrapped text is measured and moved down.
    RECT measured = text;
    DrawTextW(dc, c.Caption().c_str(), static_cast<int>(c.Caption().size()), &measured, TextFormat(c) | DT_CALCRECT);
    int spare = (text.bottom - text.top) - (measured.bottom - measured.top);
    if (spare > 0) text.top += spare / 2;
  }
  DrawTextW(dc, c.Caption().c_str(), static_cast<int>(c.Caption().size()), &text, TextFormat(c));
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

void TFormWindow::MeasureWindowless(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  const TPlace& place = c.Place();
  RECT r = ScaledPlace(bound);
  if (c.Kind() == K::Label && (place.Width <= 0 || place.Height <= 0)) {
    // A label without a set size fits its text, as an auto-sized label does.
    TWindowDC dc(ParentWindowOf(bound));
    TSelectObject font(dc.DC(), FontFor(c));
    RECT measured{0, 0, place.Width > 0 ? r.right - r.left : 0, 0};
    const std::wstring& caption = c.Caption().empty() ? std::wstring(L" ") : c.Caption();
    DrawTextW(dc.DC(), caption.c_str(), static_cast<int>(caption.size()), &measured, TextFormat(c) | DT_CALCRECT);
    // Antialiased glyphs may reach a pixel or two past their advance (Wine's
    // stand-in for Tahoma does with "b" and "e"): the label leaves them room.
    if (place.Width <= 0) r.right = r.left + (measured.right - measured.left) + FDpi.Scale(kGlyphOverhang);
    if (place.Height <= 0) r.bottom = r.top + (measured.bottom - measured.top);
  }
  bound.Bounds = r;
}

void TFormWindow::InvalidateWindowless(const TBoundControl& bound) {
  if (!IsWindowless(bound.Component->Kind())) return;
  HWND parent = ParentWindowOf(bound);
  if (parent) InvalidateRect(parent, &bound.Bounds, TRUE);
}

TBoundControl* TFormWindow::WindowlessAt(TComponent* container, POINT client) {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    if (it->Container != container || !IsWindowless(it->Component->Kind()) || !IsShowing(*it)) continue;
    if (PtInRect(&it->Bounds, client)) return &*it;
  }
  return nullptr;
}

bool TFormWindow::OnSetCursor(TComponent* container, HWND window) {
  POINT cursor{};
  GetCursorPos(&cursor);
  ScreenToClient(window, &cursor);
  TBoundControl* bound = WindowlessAt(container, cursor);
  if (!bound || !bound->Component->HasOption(kOptHandCursor) || !bound->Component->Enabled()) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

bool TFormWindow::OnWindowlessClick(TComponent* container, POINT client, bool doubleClick) {
  TBoundControl* bound = WindowlessAt(container, client);
  if (bound && !bound->Component->Enabled()) return false;
  if (bound) {
    TComponent& c = *bound->Component;
    const TNotifyEvent& event = doubleClick ? c.OnDblClick : c.OnClick;
    if (event) {
      RunEvent(event, c);
      return true;
    }
  }
  // The panel's own click, also through a label or picture that has none.
  if (!container || container->Kind() != K::Panel || !container->Enabled()) return bound != nullptr;
  const TNotifyEvent& event = doubleClick ? container->OnDblClick : container->OnClick;
  if (!event) return bound != nullptr;
  RunEvent(event, *container);
  return true;
}

}  // namespace dw::win32
