// Report-style list views and page controls: their windows, the model's rows and
// pages, and the notifications that come back from them.
#include <algorithm>

#include "platform/Caught.h"
#include "ui/win32/FormWindow.h"

namespace dw::win32 {

namespace {

class TNoRedraw {
 public:
  explicit TNoRedraw(HWND window) : FWindow(window) { SendMessageW(window, WM_SETREDRAW, FALSE, 0); }
  ~TNoRedraw() {
    SendMessageW(FWindow, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(FWindow, nullptr, TRUE);
  }
  TNoRedraw(const TNoRedraw&) = delete;
  TNoRedraw& operator=(const TNoRedraw&) = delete;

 private:
  HWND FWindow;
};

// The check box of a row lives in the state image: 1 clear, 2 ticked.
UINT CheckState(bool checked) { return INDEXTOSTATEIMAGEMASK(checked ? 2 : 1); }
bool IsTicked(UINT state) { return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2; }

}  // namespace

void TFormWindow::CreateListView(TBoundControl& bound, HWND parent) {
  TComponent& c = *bound.Component;
  RECT r = ScaledPlace(bound);
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL;
  if (c.HasOption(kOptShowSelectionAlways)) style |= LVS_SHOWSELALWAYS;
  if (!c.HasOption(kOptReadOnly)) style |= LVS_EDITLABELS;
  if (c.HasOption(kOptOwnerData)) style |= LVS_OWNERDATA;
  if (c.Visible()) style |= WS_VISIBLE;
  if (!c.Enabled()) style |= WS_DISABLED;
  bound.Window = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!bound.Window) return;
  ApplyListOptions(bound);
  ApplyColumns(bound);
  ApplyRows(bound);
}

void TFormWindow::ApplyListOptions(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() != TComponentKind::ListView || !bound.Window) return;
  DWORD mask = LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;
  DWORD styles = LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;
  if (c.HasOption(kOptRowSelect)) styles |= LVS_EX_FULLROWSELECT;
  if (c.HasOption(kOptCheckBoxes)) styles |= LVS_EX_CHECKBOXES;
  SendMessageW(bound.Window, LVM_SETEXTENDEDLISTVIEWSTYLE, mask, styles);
}

void TFormWindow::ApplyColumns(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() != TComponentKind::ListView || !bound.Window) return;
  while (SendMessageW(bound.Window, LVM_DELETECOLUMN, 0, 0)) {
  }
  int index = 0;
  for (const TListColumn& column : c.Columns()) {
    LVCOLUMNW lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH;
    lvc.cx = FDpi.Scale(column.Width);
    lvc.pszText = const_cast<wchar_t*>(column.Caption.c_str());
    SendMessageW(bound.Window, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&lvc));
  }
}

void TFormWindow::ApplyRows(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() != TComponentKind::ListView || !bound.Window) return;
  if (c.HasOption(kOptOwnerData)) {
    {
      TUpdating updating(FUpdating);
      TNoRedraw noRedraw(bound.Window);
      // The selection the control keeps is of the old rows: the model's is cleared.
      SendMessageW(bound.Window, LVM_DELETEALLITEMS, 0, 0);
      SendMessageW(bound.Window, LVM_SETITEMCOUNT, static_cast<WPARAM>(c.RowCount()), 0);
    }
    ApplySelected(bound);
    return;
  }
  {
    TUpdating updating(FUpdating);
    TNoRedraw noRedraw(bound.Window);
    SendMessageW(bound.Window, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; row < c.RowCount(); ++row) {
      const TListRow& data = c.Rows()[static_cast<size_t>(row)];
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = const_cast<wchar_t*>(data.Caption.c_str());
      int at = static_cast<int>(SendMessageW(bound.Window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      for (size_t sub = 0; sub < data.SubItems.size(); ++sub) {
        LVITEMW text{};
        text.iSubItem = static_cast<int>(sub) + 1;
        text.pszText = const_cast<wchar_t*>(data.SubItems[sub].c_str());
        SendMessageW(bound.Window, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&text));
      }
    }
  }
  ApplyChecked(bound);
  ApplySelected(bound);
}

void TFormWindow::ApplyChecked(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() != TComponentKind::ListView || !bound.Window || !c.HasOption(kOptCheckBoxes)) return;
  if (c.HasOption(kOptOwnerData)) return;
  TUpdating updating(FUpdating);
  for (int row = 0; row < c.RowCount(); ++row) {
    UINT state =
        static_cast<UINT>(SendMessageW(bound.Window, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    if (IsTicked(state) == c.RowChecked(row) && (state & LVIS_STATEIMAGEMASK) != 0) continue;
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = CheckState(c.RowChecked(row));
    SendMessageW(bound.Window, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
}

void TFormWindow::ApplySelected(TBoundControl& bound) {
  TComponent& c = *bound.Component;
  if (c.Kind() != TComponentKind::ListView || !bound.Window) return;
  TUpdating updating(FUpdating);
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(bound.Window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
  if (int row = c.SelectedRow(); row >= 0) {
    LVITEMW select{};
    select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    select.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(bound.Window, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&select));
    SendMessageW(bound.Window, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  }
}

bool TFormWindow::OnListNotify(TBoundControl& bound, NMHDR& header, LRESULT& result) {
  TComponent& c = *bound.Component;
  result = 0;
  switch (header.code) {
    case LVN_ITEMCHANGED: {
      if (FUpdating) return true;
      auto& change = reinterpret_cast<NMLISTVIEW&>(header);
      if (!(change.uChanged & LVIF_STATE) || change.iItem < 0) return true;
      UINT changed = change.uOldState ^ change.uNewState;
      // The first state image of a new row is the control's own doing, not a click.
      if ((changed & LVIS_STATEIMAGEMASK) && (change.uOldState & LVIS_STATEIMAGEMASK)) {
        c.SetRowChecked(change.iItem, IsTicked(change.uNewState));
        RunEvent(c.OnChange, c);
      }
      if (changed & LVIS_SELECTED) {
        if (change.uNewState & LVIS_SELECTED) {
          c.SetSelectedRow(change.iItem);
        } else if (c.SelectedRow() == change.iItem) {
          c.SetSelectedRow(-1);
        }
        RunEvent(c.OnChange, c);
      }
      return true;
    }
    case NM_CLICK: {
      // A click on a check box is told before the box changes: its event waits
      // until the change has reached the model.
      const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
      LVHITTESTINFO hit{};
      hit.pt = click.ptAction;
      if (c.HasOption(kOptCheckBoxes) &&
          SendMessageW(bound.Window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0 &&
          (hit.flags & LVHT_ONITEMSTATEICON)) {
        PostMessageW(Handle(), kDeferredClickMessage, reinterpret_cast<WPARAM>(bound.Window), 0);
        return true;
      }
      RunEvent(c.OnClick, c);
      return true;
    }
    case NM_DBLCLK: RunEvent(c.OnDblClick, c); return true;
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
      LVITEMW& item = info.item;
      if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return true;
      item.pszText[0] = L'\0';
      if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= c.Rows().size() || item.iSubItem < 0) return true;
      const TListRow& row = c.Rows()[static_cast<size_t>(item.iItem)];
      const size_t sub = static_cast<size_t>(item.iSubItem);
      const std::wstring* text = sub == 0                     ? &row.Caption
                                 : sub <= row.SubItems.size() ? &row.SubItems[sub - 1]
                                                              : nullptr;
      if (!text) return true;
      const size_t length = std::min(text->size(), static_cast<size_t>(item.cchTextMax) - 1);
      text->copy(item.pszText, length);
      item.pszText[length] = L'\0';
      return true;
    }
    case LVN_GETINFOTIPW: {
      auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
      if (tip.iItem < 0 || static_cast<size_t>(tip.iItem) >= c.Rows().size() || !tip.pszText || tip.cchTextMax <= 0) {
        return true;
      }
      const std::wstring& text = c.Rows()[static_cast<size_t>(tip.iItem)].Tip;
      if (text.empty()) return true;  // the control shows a cut-off caption itself
      const size_t room = static_cast<size_t>(tip.cchTextMax) - 1;
      const size_t length = std::min(text.size(), room);
      text.copy(tip.pszText, length);
      tip.pszText[length] = L'\0';
      return true;
    }
    case NM_CUSTOMDRAW: {
      if (!c.OnCustomDraw) return false;
      auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
        return true;
      }
      if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return false;
      TColor color = kClDefault;
      try {
        color = c.OnCustomDraw(c, static_cast<int>(draw.nmcd.dwItemSpec));
      } catch (...) {
        RecordCaught("list view colour");
        color = kClDefault;
      }
      result = CDRF_DODEFAULT;
      if (color != kClDefault) {
        draw.clrText = color;
        result = CDRF_NEWFONT;
      }
      return true;
    }
    default: return false;
  }
}

bool TFormWindow::OnTabNotify(TBoundControl& bound, NMHDR& header) {
  if (header.code != TCN_SELCHANGE) return false;
  if (FUpdating) return true;
  TComponent& c = *bound.Component;
  int selected = static_cast<int>(SendMessageW(bound.Window, TCM_GETCURSEL, 0, 0));
  int index = 0;
  for (TComponent* sheet : FForm.ChildrenOf(c.Name())) {
    if (sheet->Kind() != TComponentKind::TabSheet) continue;
    if (index++ != selected) continue;
    c.SetActivePage(sheet->Name());
    RunEvent(sheet->OnShow, *sheet);
    RunEvent(c.OnChange, c);
    return true;
  }
  return true;
}

}  // namespace dw::win32
