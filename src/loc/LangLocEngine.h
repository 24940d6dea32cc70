// The translation engine: reads one language file at start-up, then translates
// a form in place (caption, base font face, component texts by name and kind)
// and the numbered catalogue texts. It also carries a template writer that
// stores live forms and texts into the file image and writes it back.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "loc/LangFile.h"

namespace dw {

class TComponent;
class TForm;

inline constexpr wchar_t kDefaultUIFont[] = L"MS Sans Serif";

class TLocEngine {
 public:
  TLocEngine() = default;
  TLocEngine(const TLocEngine&) = delete;
  TLocEngine& operator=(const TLocEngine&) = delete;

  // Replaces any image loaded before. A file that cannot be read is an empty
  // language: no strings, IsUTF8 false, UIFont "MS Sans Serif".
  void LoadLanguageFile(const std::wstring& langFile);

  // Nothing happens while no file is loaded.
  void TranslateForm(TForm& form) const;
  // Replaces s with entry id (1 or more), bars turned into CR LF and "%/" into
  // bars; s keeps its text when the file holds fewer than id entries.
  void TranslateString(int id, std::wstring& s) const;

  // Template writer. AddForm and AddStrings store into the image (nothing while
  // no file is loaded); UpdateFile writes it back to the file it was read from,
  // as UTF-8 with "IsUTF8" 1. False when nothing could be written.
  void AddForm(const TForm& form);
  void AddStrings(std::span<const std::wstring* const> strings);
  bool UpdateFile();

  const TLangImage* LangIni() const { return FLangIni.get(); }
  // The "-Strings-" values in key order: position 0 holds key "1".
  const std::vector<std::wstring>& Strings() const { return FStrings; }
  bool IsUTF8() const { return FIsUTF8; }
  const std::wstring& UIFont() const { return FUIFont; }

  // A window section's value applied to one component, by the component's kind.
  static void ApplyComponentText(TComponent& component, const std::wstring& value);
  // The text the template writer stores for a component; empty for none.
  static std::wstring ComponentText(const TComponent& component);

 private:
  void ReadHeader();
  void ReadStrings();
  void WriteHeader();
  // The value of a line as the program uses it: decoded from UTF-8 when IsUTF8 is set.
  std::wstring LineValue(const TLangLine& line) const;
  std::wstring ReadString(std::wstring_view section, std::wstring_view key, const std::wstring& defaultValue) const;
  const TLangSection* FormSection(const std::wstring& className) const;

  std::unique_ptr<TLangImage> FLangIni;
  std::vector<std::wstring> FStrings;
  bool FIsUTF8 = false;
  std::wstring FUIFont;
};

}  // namespace dw
