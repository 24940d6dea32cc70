#include "forms/forms.h"

#include <stdexcept>
#include <utility>

namespace dw {

namespace {

// Component names are ASCII identifiers, so ASCII folding is enough and keeps
// look-ups independent of the locale.
bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
    if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
    if (x != y) return false;
  }
  return true;
}

template <typename T>
bool Assign(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

TComponent::TComponent(TForm& owner, const TLayoutRow& row)
    : FOwner(&owner),
      FName(row.Name),
      FKind(row.Kind),
      FParent(row.Parent),
      FPlace(row.Place),
      FCaption(row.Caption),
      FHint(row.Hint),
      FItems(row.Items),
      FColumns(row.Columns),
      FEnabled(row.Enabled),
      FVisible(row.Visible),
      FTag(row.Tag),
      FColor(row.Color),
      FFont(row.Font),
      FOptions(row.Options),
      FAlignment(row.Alignment),
      FPicture(row.Picture),
      FImageIndex(row.ImageIndex),
      FInterval(row.Interval) {
  FItemIndex = row.ItemIndex >= 0 && row.ItemIndex < static_cast<int>(FItems.size()) ? row.ItemIndex : -1;
}

void TComponent::Notify(TProperty property) { FOwner->NotifyChanged(*this, property); }

void TComponent::SetPlace(const TPlace& place) {
  if (Assign(FPlace, place)) Notify(TProperty::Place);
}

void TComponent::SetCaption(const std::wstring& caption) {
  if (Assign(FCaption, caption)) Notify(TProperty::Caption);
}

void TComponent::SetHint(const std::wstring& hint) {
  if (Assign(FHint, hint)) Notify(TProperty::Hint);
}

void TComponent::SetText(const std::wstring& text) {
  if (Assign(FText, text)) Notify(TProperty::Text);
}

void TComponent::SetItems(const std::vector<std::wstring>& items) {
  if (!Assign(FItems, items)) return;
  Notify(TProperty::Items);
  if (FItemIndex >= static_cast<int>(FItems.size())) {
    FItemIndex = -1;
    Notify(TProperty::ItemIndex);
  }
}

void TComponent::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(FItems.size())) index = -1;
  if (Assign(FItemIndex, index)) Notify(TProperty::ItemIndex);
}

void TComponent::SetColumns(const std::vector<TListColumn>& columns) {
  if (Assign(FColumns, columns)) Notify(TProperty::Columns);
}

void TComponent::SetRows(const std::vector<TListRow>& rows) {
  bool selectionDropped = FSelectedRow != -1;
  FSelectedRow = -1;
  if (Assign(FRows, rows)) Notify(TProperty::Rows);
  if (selectionDropped) Notify(TProperty::Selected);
}

void TComponent::ClearRows() { SetRows({}); }

int TComponent::AddRow(const TListRow& row) {
  FRows.push_back(row);
  Notify(TProperty::Rows);
  return RowCount() - 1;
}

void TComponent::DeleteRow(int index) {
  if (index < 0 || index >= RowCount()) return;
  FRows.erase(FRows.begin() + index);
  Notify(TProperty::Rows);
  if (FSelectedRow == index) {
    FSelectedRow = -1;
    Notify(TProperty::Selected);
  } else if (FSelectedRow > index) {
    --FSelectedRow;
    Notify(TProperty::Selected);
  }
}

bool TComponent::RowChecked(int index) const {
  return index >= 0 && index < RowCount() && FRows[static_cast<size_t>(index)].Checked;
}

void TComponent::SetRowChecked(int index, bool checked) {
  if (index < 0 || index >= RowCount()) return;
  if (Assign(FRows[static_cast<size_t>(index)].Checked, checked)) Notify(TProperty::Checked);
}

void TComponent::SetSelectedRow(int index) {
  if (index < 0 || index >= RowCount()) index = -1;
  if (Assign(FSelectedRow, index)) Notify(TProperty::Selected);
}

void TComponent::SetEnabled(bool enabled) {
  if (Assign(FEnabled, enabled)) Notify(TProperty::Enabled);
}

void TComponent::SetVisible(bool visible) {
  if (Assign(FVisible, visible)) Notify(TProperty::Visible);
}

void TComponent::SetTag(int tag) {
  if (Assign(FTag, tag)) Notify(TProperty::Tag);
}

void TComponent::SetColor(TColor color) {
  if (Assign(FColor, color)) Notify(TProperty::Color);
}

void TComponent::SetFont(const TFont& font) {
  if (Assign(FFont, font)) Notify(TProperty::Font);
}

void TComponent::SetImageIndex(int index) {
  if (Assign(FImageIndex, index)) Notify(TProperty::Picture);
}

void TComponent::SetActivePage(const std::wstring& tabSheetName) {
  if (Assign(FActivePage, tabSheetName)) Notify(TProperty::ActivePage);
}

void TComponent::Popup() { Notify(TProperty::Popup); }

TComponent& TComponent::AddChild(const std::wstring& caption, int tag, TNotifyEvent onClick) {
  TLayoutRow row;
  row.Kind = TComponentKind::MenuItem;
  row.Tag = tag;
  auto child = std::make_unique<TComponent>(*FOwner, row);
  child->FParent = FName;
  child->FCaption = caption;
  child->OnClick = std::move(onClick);
  FChildren.push_back(std::move(child));
  Notify(TProperty::Children);
  return *FChildren.back();
}

void TComponent::ClearChildren() {
  if (FChildren.empty()) return;
  FChildren.clear();
  Notify(TProperty::Children);
}

TForm::TForm(TFormStyle style) : FStyle(std::move(style)) {}

TForm::~TForm() = default;

void TForm::NotifyForm(TProperty property) {
  if (FObserver) FObserver->FormChanged(*this, property);
}

void TForm::NotifyChanged(TComponent& component, TProperty property) {
  if (FObserver) FObserver->Changed(component, property);
}

void TForm::SetCaption(const std::wstring& caption) {
  if (Assign(FStyle.Caption, caption)) NotifyForm(TProperty::Caption);
}

void TForm::SetFontFace(const std::wstring& face) {
  if (Assign(FStyle.FontFace, face)) NotifyForm(TProperty::Font);
}

void TForm::SetColor(TColor color) {
  if (Assign(FStyle.Color, color)) NotifyForm(TProperty::Color);
}

void TForm::SetVisible(bool visible, TFormSlide slide) {
  if (!Assign(FVisible, visible)) return;
  FSlide = slide;
  NotifyForm(TProperty::Visible);
}

void TForm::Show() {
  SetVisible(true);
  NotifyForm(TProperty::BringToFront);
}

void TForm::Reposition() { NotifyForm(TProperty::Place); }

void TForm::SetWindowState(TWindowState state) {
  if (Assign(FWindowState, state)) NotifyForm(TProperty::WindowState);
}

void TForm::SetIconIndex(int index) {
  if (Assign(FIconIndex, index)) NotifyForm(TProperty::Icon);
}

TComponent* TForm::Find(std::wstring_view name) const {
  for (const auto& c : FComponents)
    if (SameName(c->Name(), name)) return c.get();
  return nullptr;
}

TComponent& TForm::Component(std::wstring_view name) const {
  if (TComponent* c = Find(name)) return *c;
  throw std::out_of_range("no such component");
}

std::vector<TComponent*> TForm::ChildrenOf(std::wstring_view name) const {
  std::vector<TComponent*> children;
  for (const auto& c : FComponents)
    if (SameName(c->ParentName(), name)) children.push_back(c.get());
  return children;
}

void TForm::Build(std::span<const TLayoutRow> layout) {
  for (const TLayoutRow& row : layout) FComponents.push_back(std::make_unique<TComponent>(*this, row));
  for (const auto& c : FComponents) {
    if (c->Kind() != TComponentKind::PageControl) continue;
    for (TComponent* page : ChildrenOf(c->Name())) {
      if (page->Kind() != TComponentKind::TabSheet) continue;
      c->SetActivePage(page->Name());
      break;
    }
  }
}

}  // namespace dw
