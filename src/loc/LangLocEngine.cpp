#include "loc/LangLocEngine.h"

#include <algorithm>
#include <unordered_map>

#include "common/Text.h"
#include "forms/forms.h"
#include "platform/Platform.h"

namespace dw {

namespace {

constexpr wchar_t kHeaderSection[] = L"-Header-";
constexpr wchar_t kStringsSection[] = L"-Strings-";
constexpr wchar_t kCaptionKey[] = L"-Caption-";

using K = TComponentKind;

void ReplaceAll(std::wstring& text, std::wstring_view from, std::wstring_view to) {
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::wstring::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
}

// An integer as the header's readers take it: optional sign, then decimal digits
// or hexadecimal after "$" or "0x". Anything else is not a number.
int ParseInteger(std::wstring_view text, int defaultValue) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  int base = 10;
  if (i < text.size() && text[i] == L'$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return defaultValue;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    wchar_t c = text[i];
    int digit = c >= L'0' && c <= L'9'                 ? c - L'0'
                : base == 16 && c >= L'a' && c <= L'f' ? c - L'a' + 10
                : base == 16 && c >= L'A' && c <= L'F' ? c - L'A' + 10
                                                       : -1;
    if (digit < 0) return defaultValue;
    value = value * base + digit;
    if (value > 0xFFFFFFFFll) return defaultValue;
  }
  return static_cast<int>(negative ? -value : value);
}

// A file line ends a value: line breaks in a window text cannot be written.
std::wstring OneLine(std::wstring text) {
  ReplaceAll(text, L"\r\n", L" ");
  ReplaceAll(text, L"\n\r", L" ");
  std::replace(text.begin(), text.end(), L'\r', L' ');
  std::replace(text.begin(), text.end(), L'\n', L' ');
  return text;
}

// Push and bitmap buttons take a comma list only when the value looks like one.
std::vector<std::wstring> ButtonTexts(const std::wstring& value) {
  if (value.find_first_of(L",\"") == std::wstring::npos) return {value};
  return ReadCommaList(value);
}

void SetCaptionAndHint(TComponent& component, const std::vector<std::wstring>& items) {
  if (!items.empty()) component.SetCaption(items[0]);
  if (items.size() >= 2) component.SetHint(items[1]);
}

// Columns first, then row captions; an entry with fewer items sets as many as it has.
void ApplyListView(TComponent& view, const std::vector<std::wstring>& items) {
  std::vector<TListColumn> columns = view.Columns();
  size_t next = 0;
  for (size_t c = 0; c < columns.size() && next < items.size(); ++c) columns[c].Caption = items[next++];
  view.SetColumns(columns);

  size_t rowItems = items.size() - next;
  if (rowItems == 0 || view.Rows().empty()) return;
  std::vector<TListRow> rows = view.Rows();
  for (size_t r = 0; r < rows.size() && next < items.size(); ++r) rows[r].Caption = items[next++];
  if (rows == view.Rows()) return;
  int selected = view.SelectedRow();
  view.SetRows(rows);  // one batch
  if (selected >= 0) view.SetSelectedRow(selected);
}

void ApplyRadioGroup(TComponent& group, const std::vector<std::wstring>& items) {
  if (items.empty()) return;
  group.SetCaption(items[0]);
  std::vector<std::wstring> choices = group.Items();
  for (size_t k = 0; k < choices.size() && k + 1 < items.size(); ++k) choices[k] = items[k + 1];
  group.SetItems(choices);  // one batch; the selection stays
}

}  // namespace

void TLocEngine::LoadLanguageFile(const std::wstring& langFile) {
  FLangIni.reset();
  std::optional<std::string> bytes = Fs().ReadAll(langFile);
  FLangIni = std::make_unique<TLangImage>(bytes ? TLangImage::Parse(*bytes) : TLangImage{});
  FLangIni->FileName = langFile;
  FIsUTF8 = false;
  ReadHeader();
  ReadStrings();
}

void TLocEngine::ReadHeader() {
  FIsUTF8 = ParseInteger(ReadString(kHeaderSection, L"IsUTF8", L"0"), 0) != 0;
  FUIFont = ReadString(kHeaderSection, L"UIFont", kDefaultUIFont);
  // An empty face would leave the window without a font.
  if (FUIFont.empty()) FUIFont = kDefaultUIFont;
}

void TLocEngine::ReadStrings() {
  FStrings.clear();
  const TLangSection* section = FLangIni->Section(kStringsSection);
  if (!section) return;
  // The last line of each key, found once: the numbering is looked up key by key.
  std::unordered_map<std::wstring, const TLangLine*> lines;
  for (const TLangLine& line : section->Lines)
    if (line.HasKey) lines[ToLower(line.Key)] = &line;
  for (size_t n = 1;; ++n) {
    auto found = lines.find(std::to_wstring(n));
    if (found == lines.end()) break;
    FStrings.push_back(LineValue(*found->second));
  }
}

std::wstring TLocEngine::LineValue(const TLangLine& line) const {
  if (!FIsUTF8 || line.Final) return line.Value;
  std::string bytes;
  if (line.AnsiBytes) {
    bytes = *line.AnsiBytes;
  } else {
    // Read through a byte-order mark: the text goes back into the ANSI code page,
    // which must hold it exactly for its bytes to mean anything.
    bytes = Sys().ToAnsi(line.Value);
    if (Sys().FromAnsi(bytes) != line.Value) return line.Value;
  }
  // Not UTF-8 after all (an ANSI file marked by mistake, a UTF-8 file with its
  // mark): the text stays as it was read rather than turning into replacement marks.
  if (!IsValidUtf8(bytes)) return line.Value;
  return Utf8ToWide(bytes);
}

std::wstring TLocEngine::ReadString(std::wstring_view section, std::wstring_view key,
                                    const std::wstring& defaultValue) const {
  const TLangSection* found = FLangIni ? FLangIni->Section(section) : nullptr;
  const TLangLine* line = found ? found->Find(key) : nullptr;
  return line ? LineValue(*line) : defaultValue;
}

void TLocEngine::TranslateString(int id, std::wstring& s) const {
  if (id < 1 || static_cast<size_t>(id) > FStrings.size()) return;
  std::wstring text = FStrings[static_cast<size_t>(id - 1)];
  ReplaceAll(text, L"|", L"\r\n");
  ReplaceAll(text, L"%/", L"|");
  s = std::move(text);
}

const TLangSection* TLocEngine::FormSection(const std::wstring& className) const {
  const TLangSection* section = FLangIni->Section(className);
  if (section && !section->Lines.empty()) return section;
  if (!className.empty() && className[0] == L'T') return FLangIni->Section(std::wstring_view(className).substr(1));
  return section;
}

void TLocEngine::TranslateForm(TForm& form) const {
  if (!FLangIni) return;
  const TLangSection* section = FormSection(form.ClassName());
  if (section) {
    if (const TLangLine* caption = section->Find(kCaptionKey)) form.SetCaption(LineValue(*caption));
  }
  form.SetFontFace(FUIFont);
  if (!section) return;
  for (const auto& component : form.Components()) {
    const TLangLine* line = section->Find(component->Name());
    if (!line || line->Value.empty()) continue;
    std::wstring value = LineValue(*line);
    if (!value.empty()) ApplyComponentText(*component, value);
  }
}

void TLocEngine::ApplyComponentText(TComponent& component, const std::wstring& value) {
  switch (component.Kind()) {
    case K::Button:
    case K::BitBtn: SetCaptionAndHint(component, ButtonTexts(value)); return;
    case K::Label:
    case K::CheckBox:
    case K::GroupBox:
    case K::TabSheet:
    case K::MenuItem:
    case K::RadioButton: component.SetCaption(value); return;
    case K::Edit:
    case K::OpenDialog:  // an open dialog keeps its file-type filter in Text
      component.SetText(value);
      return;
    case K::ComboBox:
      component.SetItems(ReadCommaList(value));  // keeps the selection while it still names an item
      return;
    case K::ListView: ApplyListView(component, ReadCommaList(value)); return;
    case K::SpeedButton: SetCaptionAndHint(component, ReadCommaList(value)); return;
    case K::RadioGroup: ApplyRadioGroup(component, ReadCommaList(value)); return;
    default: return;  // panels, page controls, shapes, images, image lists, timers, popup menus
  }
}

std::wstring TLocEngine::ComponentText(const TComponent& component) {
  switch (component.Kind()) {
    case K::Button:
    case K::BitBtn:
      if (component.Hint().empty()) return WriteCommaList({component.Caption()});
      return WriteCommaList({component.Caption(), component.Hint()});
    case K::SpeedButton: return WriteCommaList({component.Caption(), component.Hint()});
    case K::Label:
    case K::CheckBox:
    case K::GroupBox:
    case K::TabSheet:
    case K::MenuItem:
    case K::RadioButton: return component.Caption();
    case K::Edit:
    case K::OpenDialog: return component.Text();
    case K::ComboBox: return WriteCommaList(component.Items());
    case K::ListView: {
      std::vector<std::wstring> items;
      for (const TListColumn& column : component.Columns()) items.push_back(column.Caption);
      for (const TListRow& row : component.Rows()) items.push_back(row.Caption);
      return WriteCommaList(items);
    }
    default: return {};  // radio groups are not written
  }
}

void TLocEngine::AddForm(const TForm& form) {
  if (!FLangIni) return;
  const std::wstring& section = form.ClassName();
  FLangIni->Set(section, kCaptionKey, OneLine(form.Caption()));
  for (const auto& component : form.Components()) {
    std::wstring text = ComponentText(*component);
    if (!text.empty()) FLangIni->Set(section, component->Name(), OneLine(std::move(text)));
  }
}

void TLocEngine::AddStrings(std::span<const std::wstring* const> strings) {
  if (!FLangIni) return;
  for (size_t k = 0; k < strings.size(); ++k) {
    std::wstring text = *strings[k];
    ReplaceAll(text, L"|", L"%/");
    ReplaceAll(text, L"\r\n", L"|");
    ReplaceAll(text, L"\n\r", L"|");
    // A lone LF would end the file's line too, so it folds like the others.
    std::replace(text.begin(), text.end(), L'\r', L'|');
    std::replace(text.begin(), text.end(), L'\n', L'|');
    FLangIni->Set(kStringsSection, std::to_wstring(k + 1), text);
  }
}

void TLocEngine::WriteHeader() {
  // The file is written as UTF-8, so it says so.
  FLangIni->Set(kHeaderSection, L"IsUTF8", L"1");
}

bool TLocEngine::UpdateFile() {
  if (!FLangIni || FLangIni->FileName.empty()) return false;
  WriteHeader();
  std::wstring text;
  for (const TLangSection& section : FLangIni->Sections()) {
    text += L"[" + section.Name + L"]\r\n";
    for (const TLangLine& line : section.Lines) {
      if (line.HasKey) text += line.Key + L"=";
      text += LineValue(line) + L"\r\n";
    }
    text += L"\r\n";
  }
  if (!Fs().WriteAll(FLangIni->FileName, WideToUtf8(text))) return false;

  // The image now stands for the UTF-8 file on disk.
  TLangImage written = TLangImage::Parse(WideToUtf8(text));
  written.FileName = FLangIni->FileName;
  *FLangIni = std::move(written);
  FIsUTF8 = true;
  return true;
}

}  // namespace dw
