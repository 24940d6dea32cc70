// Forms as data. A form owns its components in layout order; every change made
// through a setter is reported to the form's observer, so a renderer (ui/win32)
// can keep real windows in step while the portable handlers and the tests work
// on the model alone.
//
// Rules a renderer relies on:
// - Setters notify only when the value actually changes, and never run events.
//   Events run only when the user acts: the renderer first writes the user's
//   change into the model (SetText, SetItemIndex, SetSelectedRow, SetRowChecked,
//   SetActivePage, ...), then calls the event (OnChange, OnClick, ...). The
//   renderer's own writes come back through the observer; compare or guard.
// - Popup menus are built from the model each time they open: the renderer runs
//   the menu's OnPopup, then shows ChildrenOf(menu) in form order, each menu
//   item with its static children (ChildrenOf(item)) followed by its run-time
//   Children(). A menu item whose caption is "-" is a separator.
// - A panel without a colour of its own (kClDefault), and the form's client area,
//   show the form's Color.
// - A click on a windowless component without an OnClick goes to the panel it
//   sits on, as a click on the panel's empty area does.
// - Visible changes carry the form's Slide: the way the window comes and goes.
// - Places are in pixels at 96 dpi, relative to the parent's client area. A zero
//   width or height means the kind's natural size (labels fit their text); a
//   tab sheet fills its page control's page area.
// - Everything here is touched on the window thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dw {

// Colours are COLORREF values: 0x00BBGGRR.
using TColor = uint32_t;
constexpr TColor kClBlack = 0x000000;
constexpr TColor kClRed = 0x0000FF;
constexpr TColor kClBlue = 0xFF0000;
constexpr TColor kClWhite = 0xFFFFFF;
// The kind's usual system colour (button face for panels and windows, window
// text for fonts).
constexpr TColor kClDefault = 0xFF000000;

constexpr TColor Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

enum class TComponentKind {
  Button,  // push button
  BitBtn,  // bitmap button (a button with a picture)
  Label,
  Edit,
  ComboBox,  // drop-down list
  CheckBox,
  ListView,  // report style
  GroupBox,
  TabSheet,  // a page of a page control
  MenuItem,  // an item of a popup menu or of another item; caption "-" is a separator
  OpenDialog,
  SpeedButton,
  RadioButton,
  RadioGroup,  // a captioned group of choices (Items), ItemIndex the selected one
  Panel,
  Shape,  // a filled rectangle (Color)
  Image,
  PageControl,
  Timer,      // Interval in ms, runs OnTimer while Enabled
  PopupMenu,  // its items are the menu items parented to it
  ImageList,  // the window's state icons; Place gives the image size
};

enum class TAlignment { Left, Center, Right };

// Options of a component (bit set).
enum TComponentOption : uint32_t {
  kOptWordWrap = 1u << 0,
  kOptTransparent = 1u << 1,
  kOptHandCursor = 1u << 2,
  kOptReadOnly = 1u << 3,             // list views: captions cannot be edited
  kOptRowSelect = 1u << 4,            // list views: the whole row is selected
  kOptShowSelectionAlways = 1u << 5,  // list views: selection shown without focus
  kOptCheckBoxes = 1u << 6,           // list views: one check box per row
  kOptNoOutline = 1u << 7,            // shapes: no border
  kOptNoBevel = 1u << 8,              // panels: flat
  kOptDefaultItem = 1u << 9,          // menu items: the default item, shown bold
  kOptVerticalCentre = 1u << 10,      // labels: the text centred in the height
  kOptLoweredOuter = 1u << 11,        // panels: a lowered outer bevel around the raised inner one
  // List views: the window asks the model for a row's texts only when it shows
  // the row, so that a refill of 100,000 rows is one step. No check boxes.
  kOptOwnerData = 1u << 12,
};

// Which property changed, as the observer hears it. Form-level changes use
// Caption, Font, Visible, WindowState, Icon, Color, Place and BringToFront.
enum class TProperty {
  Place,
  Caption,
  Hint,
  Text,
  Items,
  ItemIndex,
  Columns,
  Rows,      // rows added, removed or replaced (a whole refill is one or a few of these)
  Checked,   // a row's check box
  Selected,  // the selected row
  Enabled,
  Visible,
  Tag,
  Children,  // run-time sub-items of a menu item
  Color,
  Font,
  Options,
  Alignment,
  Picture,  // the picture's name or the image shown of it
  Interval,
  ActivePage,  // page controls
  Popup,       // a request: open this popup menu at the mouse position
  WindowState,
  Icon,
  BringToFront,  // a request: show the form in front of the others
};

struct TPlace {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TPlace&) const = default;
};

// An empty Face means the component uses the form's font (face and size) as
// it is, and follows it when the form's font changes.
struct TFont {
  std::wstring Face;
  int Size = 0;  // points
  bool Bold = false;
  bool Underline = false;
  TColor Color = kClDefault;
  bool operator==(const TFont&) const = default;
};

struct TListColumn {
  std::wstring Caption;
  int Width = 0;
  bool operator==(const TListColumn&) const = default;
};

struct TListRow {
  std::wstring Caption;
  std::vector<std::wstring> SubItems;
  bool Checked = false;
  // Shown while the pointer rests on the row: what a column too narrow cuts off.
  std::wstring Tip{};
  bool operator==(const TListRow&) const = default;
};

class TComponent;
class TForm;

using TNotifyEvent = std::function<void(TComponent& sender)>;
// The font colour of one list-view row; kClDefault for the usual colour.
using TDrawRowEvent = std::function<TColor(TComponent& sender, int row)>;

// One line of a layout table: everything a component is created with.
struct TLayoutRow {
  const wchar_t* Name = L"";
  TComponentKind Kind = TComponentKind::Label;
  const wchar_t* Parent = L"";  // empty: the form itself
  TPlace Place{};
  const wchar_t* Caption = L"";
  const wchar_t* Hint = L"";
  std::vector<std::wstring> Items{};  // combo box and radio group choices
  int ItemIndex = -1;
  std::vector<TListColumn> Columns{};
  uint32_t Options = 0;
  TAlignment Alignment = TAlignment::Left;
  int Tag = 0;
  bool Visible = true;
  bool Enabled = true;
  TColor Color = kClDefault;
  TFont Font{};
  int Interval = 0;              // timers, ms
  const wchar_t* Picture = L"";  // a resource name the renderer knows
  int ImageIndex = 0;            // images: which image of the picture
};

class IFormObserver {
 public:
  virtual ~IFormObserver() = default;
  virtual void Changed(TComponent& component, TProperty property) = 0;
  virtual void FormChanged(TForm& form, TProperty property) = 0;
};

class TComponent {
 public:
  TComponent(TForm& owner, const TLayoutRow& row);
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TForm& Owner() const { return *FOwner; }
  const std::wstring& Name() const { return FName; }
  TComponentKind Kind() const { return FKind; }
  const std::wstring& ParentName() const { return FParent; }

  const TPlace& Place() const { return FPlace; }
  void SetPlace(const TPlace& place);
  const std::wstring& Caption() const { return FCaption; }
  void SetCaption(const std::wstring& caption);
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& hint);
  const std::wstring& Text() const { return FText; }  // edit boxes
  void SetText(const std::wstring& text);

  // Combo boxes and radio groups. ItemIndex is -1 (nothing selected) or a
  // position in Items; SetItemIndex turns any other value into -1, and
  // SetItems keeps the index only while it still names an item.
  const std::vector<std::wstring>& Items() const { return FItems; }
  void SetItems(const std::vector<std::wstring>& items);
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int index);

  // List views.
  const std::vector<TListColumn>& Columns() const { return FColumns; }
  void SetColumns(const std::vector<TListColumn>& columns);
  const std::vector<TListRow>& Rows() const { return FRows; }
  int RowCount() const { return static_cast<int>(FRows.size()); }
  void SetRows(const std::vector<TListRow>& rows);  // one batch; the selection is cleared
  void ClearRows();
  int AddRow(const TListRow& row);   // the new row's index
  void DeleteRow(int index);         // nothing when index names no row
  bool RowChecked(int index) const;  // false when index names no row
  void SetRowChecked(int index, bool checked);
  int SelectedRow() const { return FSelectedRow; }  // -1: none
  void SetSelectedRow(int index);                   // out of range: none

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible);
  int Tag() const { return FTag; }
  void SetTag(int tag);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& font);
  bool ParentFont() const { return FFont.Face.empty(); }
  uint32_t Options() const { return FOptions; }
  bool HasOption(TComponentOption option) const { return (FOptions & option) != 0; }
  TAlignment Alignment() const { return FAlignment; }
  const std::wstring& Picture() const { return FPicture; }
  int ImageIndex() const { return FImageIndex; }  // images
  void SetImageIndex(int index);
  int Interval() const { return FInterval; }

  // Page controls: the name of the active tab sheet. SetActivePage does not
  // run the sheet's OnShow (see the rules above); the renderer does on a click.
  const std::wstring& ActivePage() const { return FActivePage; }
  void SetActivePage(const std::wstring& tabSheetName);

  // Popup menus: ask the renderer to open this menu at the mouse position.
  void Popup();

  // Run-time sub-items of a menu item (the drive entries); they have no name.
  const std::vector<std::unique_ptr<TComponent>>& Children() const { return FChildren; }
  TComponent& AddChild(const std::wstring& caption, int tag, TNotifyEvent onClick);
  void ClearChildren();

  TNotifyEvent OnClick;
  TNotifyEvent OnChange;
  TNotifyEvent OnShow;  // tab sheets, when they become the active page
  TNotifyEvent OnDblClick;
  TNotifyEvent OnPopup;  // popup menus, before they open
  TNotifyEvent OnTimer;
  TDrawRowEvent OnCustomDraw;  // list views

 private:
  void Notify(TProperty property);

  TForm* FOwner;
  std::wstring FName;
  TComponentKind FKind;
  std::wstring FParent;
  TPlace FPlace;
  std::wstring FCaption;
  std::wstring FHint;
  std::wstring FText;
  std::vector<std::wstring> FItems;
  int FItemIndex = -1;
  std::vector<TListColumn> FColumns;
  std::vector<TListRow> FRows;
  int FSelectedRow = -1;
  bool FEnabled = true;
  bool FVisible = true;
  int FTag = 0;
  TColor FColor = kClDefault;
  TFont FFont;
  uint32_t FOptions = 0;
  TAlignment FAlignment = TAlignment::Left;
  std::wstring FPicture;
  int FImageIndex = 0;
  int FInterval = 0;
  std::wstring FActivePage;
  std::vector<std::unique_ptr<TComponent>> FChildren;
};

enum class TWindowState { Normal, Minimized, Maximized };

enum class TFormBorder {
  Sizeable,
  Fixed,  // single fixed border, system menu and minimize button only
  None,   // no border and no title bar
};

// Where the renderer puts the window.
enum class TFormPosition {
  Default,         // where the system puts it
  Centred,         // centred in the work area when first shown
  WorkAreaCorner,  // the bottom-right corner of the work area, each time it is shown
};

// How the window comes and goes (SetVisible).
enum class TFormSlide {
  None,  // at once
  Up,    // slides in from its bottom edge upwards
  Down,  // slides out downwards
};
constexpr int kSlideMs = 500;

// Values a concrete form states once, at construction.
struct TFormStyle {
  std::wstring ClassName;
  std::wstring Caption;
  int ClientWidth = 0;
  int ClientHeight = 0;
  std::wstring FontFace = L"Tahoma";
  int FontSize = 8;
  bool StayOnTop = false;
  TFormPosition Position = TFormPosition::Default;
  bool ShowHints = true;
  bool AppWindow = false;   // a taskbar button of its own while visible
  bool ToolWindow = false;  // never a taskbar button
  TFormBorder Border = TFormBorder::Sizeable;
  TColor Color = kClDefault;  // the client area's background
};

class TForm {
 public:
  explicit TForm(TFormStyle style);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  const TFormStyle& Style() const { return FStyle; }
  const std::wstring& ClassName() const { return FStyle.ClassName; }
  const std::wstring& Caption() const { return FStyle.Caption; }
  void SetCaption(const std::wstring& caption);
  const std::wstring& FontFace() const { return FStyle.FontFace; }
  void SetFontFace(const std::wstring& face);  // components with ParentFont follow

  TColor Color() const { return FStyle.Color; }
  void SetColor(TColor color);

  bool Visible() const { return FVisible; }
  // The window comes or goes the way slide says; the renderer is done with the
  // slide when this returns.
  void SetVisible(bool visible, TFormSlide slide = TFormSlide::None);
  TFormSlide Slide() const { return FSlide; }  // of the last change of Visible
  void Show();                                 // visible, and brought to the front
  void Hide() { SetVisible(false); }
  // A request: put the window where the style's Position says, now.
  void Reposition();
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState state);
  // The window icon: an image of the form's image list, -1 for the application's icon.
  int IconIndex() const { return FIconIndex; }
  void SetIconIndex(int index);

  // One observer at a time; null to detach. It must outlive its attachment.
  void SetObserver(IFormObserver* observer) { FObserver = observer; }
  IFormObserver* Observer() const { return FObserver; }

  // Components in layout order (the order TranslateForm walks them).
  const std::vector<std::unique_ptr<TComponent>>& Components() const { return FComponents; }
  // By name, ignoring ASCII letter case as component look-ups by name do; null when absent.
  TComponent* Find(std::wstring_view name) const;
  // By name; throws std::out_of_range when absent (the handlers' own names).
  TComponent& Component(std::wstring_view name) const;
  // The components whose parent is name, in layout order.
  std::vector<TComponent*> ChildrenOf(std::wstring_view name) const;

  // Creates the components of a layout table, in its order. Each page control
  // starts with its first tab sheet active.
  void Build(std::span<const TLayoutRow> layout);

  // Called by components when a property changed.
  void NotifyChanged(TComponent& component, TProperty property);

 private:
  void NotifyForm(TProperty property);

  TFormStyle FStyle;
  bool FVisible = false;
  TFormSlide FSlide = TFormSlide::None;
  TWindowState FWindowState = TWindowState::Normal;
  int FIconIndex = -1;
  IFormObserver* FObserver = nullptr;
  std::vector<std::unique_ptr<TComponent>> FComponents;
};

}  // namespace dw
