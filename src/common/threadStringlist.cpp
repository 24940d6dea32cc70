#include "common/threadStringlist.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "common/CommaList.h"
#include "common/Text.h"

namespace dw {

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

void CheckIndex(int index, size_t count, const char* what) {
  if (index < 0 || static_cast<size_t>(index) >= count) throw std::out_of_range(what);
}

// Where a name=value item splits; npos when the item has no "=".
size_t SeparatorOf(const std::wstring& item) { return item.find(L'='); }

int IndexOfNameIn(const std::vector<std::wstring>& items, const std::wstring& name) {
  for (size_t i = 0; i < items.size(); ++i) {
    size_t eq = SeparatorOf(items[i]);
    if (eq != std::wstring::npos && EqualsNoCase(std::wstring_view(items[i]).substr(0, eq), name))
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

int TThreadStringList::Add(const std::wstring& s) {
  Guard lock(FLock);
  FStringList.push_back(s);
  return static_cast<int>(FStringList.size()) - 1;
}

void TThreadStringList::AddStrings(const std::vector<std::wstring>& items) {
  Guard lock(FLock);
  FStringList.insert(FStringList.end(), items.begin(), items.end());
}

void TThreadStringList::Delete(int index) {
  Guard lock(FLock);
  CheckIndex(index, FStringList.size(), "TThreadStringList::Delete");
  FStringList.erase(FStringList.begin() + index);
}

void TThreadStringList::Clear() {
  Guard lock(FLock);
  FStringList.clear();
}

void TThreadStringList::Exchange(int a, int b) {
  Guard lock(FLock);
  CheckIndex(a, FStringList.size(), "TThreadStringList::Exchange");
  CheckIndex(b, FStringList.size(), "TThreadStringList::Exchange");
  std::swap(FStringList[static_cast<size_t>(a)], FStringList[static_cast<size_t>(b)]);
}

void TThreadStringList::Insert(int index, const std::wstring& s) {
  Guard lock(FLock);
  // Inserting at Count appends.
  CheckIndex(index, FStringList.size() + 1, "TThreadStringList::Insert");
  FStringList.insert(FStringList.begin() + index, s);
}

int TThreadStringList::IndexOf(const std::wstring& s) const {
  Guard lock(FLock);
  for (size_t i = 0; i < FStringList.size(); ++i) {
    if (EqualsNoCase(FStringList[i], s)) return static_cast<int>(i);
  }
  return -1;
}

int TThreadStringList::IndexOfName(const std::wstring& name) const {
  Guard lock(FLock);
  return IndexOfNameIn(FStringList, name);
}

bool TThreadStringList::Remove(const std::wstring& s) {
  Guard lock(FLock);
  int index = IndexOf(s);
  if (index < 0) return false;
  FStringList.erase(FStringList.begin() + index);
  return true;
}

void TThreadStringList::Sort() {
  Guard lock(FLock);
  std::stable_sort(FStringList.begin(), FStringList.end(),
                   [](const std::wstring& a, const std::wstring& b) { return CompareNoCase(a, b) < 0; });
}

int TThreadStringList::Count() const {
  Guard lock(FLock);
  return static_cast<int>(FStringList.size());
}

std::wstring TThreadStringList::Strings(int index) const {
  Guard lock(FLock);
  CheckIndex(index, FStringList.size(), "TThreadStringList::Strings");
  return FStringList[static_cast<size_t>(index)];
}

void TThreadStringList::SetStrings(int index, const std::wstring& s) {
  Guard lock(FLock);
  CheckIndex(index, FStringList.size(), "TThreadStringList::SetStrings");
  FStringList[static_cast<size_t>(index)] = s;
}

std::wstring TThreadStringList::Names(int index) const {
  Guard lock(FLock);
  CheckIndex(index, FStringList.size(), "TThreadStringList::Names");
  const std::wstring& item = FStringList[static_cast<size_t>(index)];
  size_t eq = SeparatorOf(item);
  return eq == std::wstring::npos ? std::wstring() : item.substr(0, eq);
}

std::wstring TThreadStringList::Values(const std::wstring& name) const {
  Guard lock(FLock);
  int index = IndexOfNameIn(FStringList, name);
  if (index < 0) return {};
  const std::wstring& item = FStringList[static_cast<size_t>(index)];
  return item.substr(SeparatorOf(item) + 1);
}

void TThreadStringList::SetValues(const std::wstring& name, const std::wstring& value) {
  Guard lock(FLock);
  int index = IndexOfNameIn(FStringList, name);
  if (value.empty()) {
    // An empty value removes the item, as the VCL's string lists do.
    if (index >= 0) FStringList.erase(FStringList.begin() + index);
    return;
  }
  if (index < 0) {
    FStringList.push_back(name + L"=" + value);
    return;
  }
  FStringList[static_cast<size_t>(index)] = name + L"=" + value;
}

std::wstring TThreadStringList::Text() const {
  Guard lock(FLock);
  std::wstring text;
  for (const std::wstring& item : FStringList) {
    text += item;
    text += L"\r\n";
  }
  return text;
}

void TThreadStringList::SetText(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of(L"\r\n", i);
    if (end == std::wstring::npos) {
      lines.push_back(text.substr(i));
      break;
    }
    lines.push_back(text.substr(i, end - i));
    i = end + 1;
    if (text[end] == L'\r' && i < text.size() && text[i] == L'\n') ++i;
  }
  Guard lock(FLock);
  FStringList = std::move(lines);
}

std::wstring TThreadStringList::CommaText() const {
  Guard lock(FLock);
  return WriteCommaList(FStringList);
}

void TThreadStringList::SetCommaText(const std::wstring& text) {
  // The text ends at a NUL, as it would for the C string it once was.
  std::vector<std::wstring> items = ReadCommaList(std::wstring_view(text).substr(0, text.find(L'\0')));
  Guard lock(FLock);
  FStringList = std::move(items);
}

std::vector<std::wstring> TThreadStringList::Snapshot() const {
  Guard lock(FLock);
  return FStringList;
}

void TThreadStringList::Locked(const std::function<void(std::vector<std::wstring>&)>& fn) {
  Guard lock(FLock);
  fn(FStringList);
}

}  // namespace dw
