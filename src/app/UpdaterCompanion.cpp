#include "app/UpdaterCompanion.h"

#include <charconv>
#include <optional>

#include "common/Text.h"
#include "loc/LangLocEngine.h"
#include "loc/LangLocStrings.h"
#include "state/Elevation.h"

namespace dw {

namespace {

constexpr int kEntryNotChecked = 72;  // MsgUpdateNotChecked
constexpr std::wstring_view kLangIdPrefix = L"/langid=";

bool IsBlank(wchar_t c) { return c > 0 && c <= 32; }

std::vector<std::wstring> Words(const std::wstring& argument) {
  std::vector<std::wstring> words;
  size_t pos = 0;
  while (pos < argument.size()) {
    while (pos < argument.size() && IsBlank(argument[pos])) ++pos;
    size_t end = pos;
    while (end < argument.size() && !IsBlank(argument[end])) ++end;
    if (end > pos) words.push_back(argument.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

std::optional<int> DecimalNumber(std::wstring_view text) {
  std::string narrow;
  for (wchar_t c : text) {
    if (c > 0x7F) return std::nullopt;
    narrow.push_back(static_cast<char>(c));
  }
  int value = 0;
  const char* end = narrow.data() + narrow.size();
  auto [stop, error] = std::from_chars(narrow.data(), end, value);
  if (narrow.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace

TUpdaterOptions ParseUpdaterArguments(const std::vector<std::wstring>& arguments) {
  TUpdaterOptions options;
  for (const std::wstring& argument : arguments) {
    for (const std::wstring& word : Words(argument)) {
      if (EqualsNoCase(word, L"/hidden")) {
        options.Hidden = true;
      } else if (EqualsNoCase(word, L"/no_update_check")) {
        options.NoUpdateCheck = true;
      } else if (word.size() >= kLangIdPrefix.size() &&
                 EqualsNoCase(std::wstring_view(word).substr(0, kLangIdPrefix.size()), kLangIdPrefix)) {
        if (std::optional<int> id = DecimalNumber(std::wstring_view(word).substr(kLangIdPrefix.size())))
          options.LanguageId = *id;
      }
    }
  }
  return options;
}

TUpdaterNotice UpdaterNotice(const TUpdaterOptions& options, const std::wstring& programFolder) {
  TUpdaterNotice notice;
  if (options.Hidden) return notice;
  notice.Show = true;
  // No server is ever asked (there is no update service, and the program passes "no
  // check" anyway), so the only true answer is that no check was made: telling the
  // user who pressed the check button that all is up to date would be a false report.
  notice.Entry = kEntryNotChecked;
  notice.Kind = TNoticeKind::Warning;

  TLocEngine engine;
  const std::wstring file = LanguageFilePath(options.LanguageId, programFolder);
  if (!file.empty()) engine.LoadLanguageFile(file);
  std::wstring text = CatalogueDefault(notice.Entry);
  engine.TranslateString(notice.Entry, text);
  notice.Text = FormatText(text, {std::wstring(kProductName)});
  notice.Caption = kProductName;
  return notice;
}

}  // namespace dw
