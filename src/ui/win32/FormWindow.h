// The renderer of the forms model: one real window, control or menu per
// component, kept in step through IFormObserver, with the user's actions turned
// into the components' events (the model is written first, then the event runs).
#pragma once

#include <map>
#include <memory>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "forms/forms.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Handles.h"
#include "ui/win32/WindowBase.h"

namespace dw::win32 {

class TFormWindow;

// A panel, tab sheet or the form itself as a parent: paints the windowless
// components it holds (labels, shapes) and hands its controls' notifications to
// the binder.
class TContainerWindow : public TWindowBase {
 public:
  TContainerWindow(TFormWindow& binder, TComponent& component) : FBinder(binder), FComponent(component) {}
  ~TContainerWindow() override { DestroyHandle(); }
  bool Create(HWND parent, const RECT& bounds, bool visible);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  TFormWindow& FBinder;
  TComponent& FComponent;
};

// What the renderer made for one component. The controls are children of their
// container's window, which owns and destroys them.
struct TBoundControl {
  TComponent* Component = nullptr;
  TComponent* Container = nullptr;         // the panel or tab sheet it sits on; null: the form
  HWND Window = nullptr;                   // null for windowless and non-visual kinds
  std::unique_ptr<TContainerWindow> Host;  // panels and tab sheets
  HWND Frame = nullptr;                    // radio groups: the group box
  std::vector<HWND> Choices;               // radio groups: one button per item
  RECT Bounds{};                           // on screen pixels, in the container's client area
  UINT_PTR TimerId = 0;                    // timers: running under this id, 0 when stopped
  TIconHandle Picture;                     // bitmap buttons
};

// Marks the renderer's own writes to a control for the scope; the notifications
// they cause are echoes, not the user's doing.
class TUpdating {
 public:
  explicit TUpdating(int& counter) : FCounter(counter) { ++FCounter; }
  ~TUpdating() { --FCounter; }
  TUpdating(const TUpdating&) = delete;
  TUpdating& operator=(const TUpdating&) = delete;

 private:
  int& FCounter;
};

// Posted to the form's window to run the click event of the control in wParam.
constexpr UINT kDeferredClickMessage = WM_APP + 0x20;

class TFormWindow : public TWindowBase, public IFormObserver {
 public:
  explicit TFormWindow(TForm& form);
  ~TFormWindow() override;

  // Creates the window hidden, with every component, as the model stands.
  bool Create();
  TForm& Form() const { return FForm; }
  // The window of a component (its control, host or group box); null when none.
  HWND ComponentWindow(std::wstring_view name) const;
  // Runs the menu's OnPopup, shows it at a screen point, then runs the click of
  // the item chosen. The form's window owns the menu.
  void OpenPopupMenu(TComponent& menu, POINT screen);
  TDpi Dpi() const { return FDpi; }

  void Changed(TComponent& component, TProperty property) override;
  void FormChanged(TForm& form, TProperty property) override;

  // The messages every container (and the form) shares; true when handled.
  bool ContainerMessage(TComponent* container, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT& result);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // A subclass sees each message of the form's window first; true when handled.
  virtual bool PreviewMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }
  // Runs an event of the model; a failing handler ends there.
  static void RunEvent(const TNotifyEvent& event, TComponent& sender);

 private:
  friend class TContainerWindow;

  // Window creation, in FormWindow.cpp.
  DWORD FormStyle() const;
  DWORD FormExStyle() const;
  void SizeToClient();
  void CreateComponents();
  void OnClose();
  void OnSize(WPARAM kind);
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void ShowForm(bool visible);
  void ApplyPosition();
  void ApplyWindowState();
  void ApplyIcon();
  void ApplyFontEverywhere();

  // Controls, in FormControls.cpp.
  TBoundControl* Bound(const TComponent* component);
  TBoundControl* BoundByWindow(HWND window, int* choice = nullptr);
  HWND ParentWindowOf(const TBoundControl& bound) const;
  RECT ScaledPlace(const TBoundControl& bound) const;
  void CreateControl(TBoundControl& bound);
  void CreateRadioGroup(TBoundControl& bound, HWND parent);
  void LayoutRadioGroup(TBoundControl& bound);
  void CreatePageControl(TBoundControl& bound, HWND parent);
  void CreateTabSheet(TBoundControl& bound);
  RECT SheetArea(const TBoundControl& pageControl) const;
  void ApplyPlace(TBoundControl& bound);
  void ApplyCaption(TBoundControl& bound);
  void ApplyText(TBoundControl& bound);
  void ApplyItems(TBoundControl& bound);
  void ApplyItemIndex(TBoundControl& bound);
  void ApplyEnabled(TBoundControl& bound);
  void ApplyVisible(TBoundControl& bound);
  void ApplyFont(TBoundControl& bound);
  void ApplyHint(TBoundControl& bound);
  void ApplyPicture(TBoundControl& bound);
  void ApplyTimer(TBoundControl& bound);
  void ApplyActivePage(TBoundControl& bound);
  bool OnCommand(HWND control, UINT code);
  void OnTimer(UINT_PTR id);
  HFONT FontFor(const TComponent& component);
  HBRUSH BackgroundBrush(TComponent* container);
  TColor BackgroundColor(TComponent* container) const;
  bool IsShowing(const TBoundControl& bound) const;

  // List views, in FormListView.cpp.
  void CreateListView(TBoundControl& bound, HWND parent);
  void ApplyColumns(TBoundControl& bound);
  void ApplyRows(TBoundControl& bound);
  void ApplyChecked(TBoundControl& bound);
  void ApplySelected(TBoundControl& bound);
  void ApplyListOptions(TBoundControl& bound);
  bool OnListNotify(TBoundControl& bound, NMHDR& header, LRESULT& result);
  bool OnTabNotify(TBoundControl& bound, NMHDR& header);

  // Windowless components, in FormPaint.cpp.
  void PaintContainer(TComponent* container, HDC dc, const RECT& dirty);
  void PaintWindowless(TBoundControl& bound, HDC dc);
  void MeasureWindowless(TBoundControl& bound);
  void InvalidateWindowless(const TBoundControl& bound);
  TBoundControl* WindowlessAt(TComponent* container, POINT client);
  bool OnSetCursor(TComponent* container, HWND window);
  bool OnWindowlessClick(TComponent* container, POINT client, bool doubleClick);

  TForm& FForm;
  TDpi FDpi;
  bool FShownOnce = false;
  // Set while the renderer itself writes to a control, whose notifications are then ignored.
  int FUpdating = 0;
  std::vector<TBoundControl> FControls;  // in layout order
  std::unordered_map<const TComponent*, size_t> FIndex;
  HWND FToolTip = nullptr;
  UINT_PTR FNextTimerId = 1;
  // (face, points, bold, underline) to a font at the current DPI.
  std::map<std::tuple<std::wstring, int, bool, bool>, TFontHandle> FFonts;
  std::map<TColor, TBrushHandle> FBrushes;
  TIconHandle FSmallIcon, FBigIcon;
  HWND FHiddenOwner = nullptr;  // tool windows: their owner, never shown
};

}  // namespace dw::win32
