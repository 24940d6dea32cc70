#include "common/CommaList.h"

#include <cstdint>

namespace dw {

namespace {

bool IsBlank(wchar_t c) { return static_cast<uint32_t>(c) >= 1 && static_cast<uint32_t>(c) <= 32; }

}  // namespace

std::vector<std::wstring> ReadCommaList(std::wstring_view text) {
  std::vector<std::wstring> items;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsBlank(text[i])) ++i;
  while (i < n) {
    std::wstring item;
    if (text[i] == L'"') {
      ++i;
      while (i < n) {
        if (text[i] == L'"') {
          ++i;
          if (i >= n || text[i] != L'"') break;  // a lone quote closes the item
        }
        item.push_back(text[i]);
        ++i;
      }
    } else {
      while (i < n && text[i] != L',' && !IsBlank(text[i])) item.push_back(text[i++]);
    }
    items.push_back(std::move(item));
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && text[i] == L',') {
      if (i + 1 == n) items.emplace_back();
      ++i;
      while (i < n && IsBlank(text[i])) ++i;
    }
  }
  return items;
}

std::wstring WriteCommaList(const std::vector<std::wstring>& items) {
  if (items.size() == 1 && items[0].empty()) return L"\"\"";
  std::wstring out;
  for (size_t k = 0; k < items.size(); ++k) {
    if (k > 0) out.push_back(L',');
    const std::wstring& item = items[k];
    bool quote = false;
    for (wchar_t c : item) quote = quote || static_cast<uint32_t>(c) <= 32 || c == L',' || c == L'"';
    if (!quote) {
      out += item;
      continue;
    }
    out.push_back(L'"');
    for (wchar_t c : item) {
      if (c == L'"') out.push_back(L'"');
      out.push_back(c);
    }
    out.push_back(L'"');
  }
  return out;
}

}  // namespace dw
