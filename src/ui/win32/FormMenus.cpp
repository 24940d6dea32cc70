// Popup menus, built from the model each time they open.
#include <vector>

#include "ui/win32/FormWindow.h"

namespace dw::win32 {

namespace {

// The items of a menu or of an item: its static items in form order, then the
// ones added at run time.
std::vector<TComponent*> MenuItemsOf(const TForm& form, const TComponent& parent) {
  std::vector<TComponent*> items;
  // Run-time items have no name, so they never own static items.
  if (!parent.Name().empty()) {
    for (TComponent* item : form.ChildrenOf(parent.Name()))
      if (item->Kind() == TComponentKind::MenuItem) items.push_back(item);
  }
  for (const auto& child : parent.Children()) items.push_back(child.get());
  return items;
}

// Appends the visible items; each command id is a position in `commands` plus one.
void AppendItems(HMENU menu, const TForm& form, const TComponent& parent, std::vector<TComponent*>& commands) {
  for (TComponent* item : MenuItemsOf(form, parent)) {
    if (!item->Visible()) continue;
    if (item->Caption() == L"-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING | static_cast<UINT>(item->Enabled() ? MF_ENABLED : MF_GRAYED);
    if (!MenuItemsOf(form, *item).empty()) {
      TMenuHandle sub(CreatePopupMenu());
      AppendItems(sub.Get(), form, *item, commands);
      // Once appended, the submenu belongs to its parent menu.
      if (AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub.Get()), item->Caption().c_str()))
        sub.Release();
      continue;
    }
    commands.push_back(item);
    UINT id = static_cast<UINT>(commands.size());
    AppendMenuW(menu, flags, id, item->Caption().c_str());
    if (item->HasOption(kOptDefaultItem)) SetMenuDefaultItem(menu, id, FALSE);
  }
}

// An item chosen in a menu is run only while the model still holds it.
bool HoldsItem(const TForm& form, const TComponent& parent, const TComponent* wanted) {
  for (TComponent* item : MenuItemsOf(form, parent))
    if (item == wanted || HoldsItem(form, *item, wanted)) return true;
  return false;
}

}  // namespace

void TFormWindow::OpenPopupMenu(TComponent& menu, POINT screen) {
  RunEvent(menu.OnPopup, menu);
  TMenuHandle handle(CreatePopupMenu());
  if (!handle) return;
  std::vector<TComponent*> commands;
  AppendItems(handle.Get(), FForm, menu, commands);

  // The owner must be the foreground window, or the menu will not disappear when
  // the user clicks outside it.
  SetForegroundWindow(Handle());
  UINT chosen =
      static_cast<UINT>(TrackPopupMenuEx(handle.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                         screen.x, screen.y, Handle(), nullptr));
  // A message after the menu lets its modal loop end properly the next time.
  PostMessageW(Handle(), WM_NULL, 0, 0);
  if (chosen == 0 || chosen > commands.size()) return;
  TComponent* item = commands[chosen - 1];
  if (!HoldsItem(FForm, menu, item)) return;
  RunEvent(item->OnClick, *item);
}

}  // namespace dw::win32
