// Programs named like documents, and names with text-direction controls.
#include <string>
#include <vector>

#include "common/Text.h"
#include "engine/traces/NameChars.h"
#include "engine/traces/TraceRule.h"

namespace dw {

namespace {

// What runs when the user opens it. Shortcuts are left out: users name theirs after
// what they open (Report.docx.lnk), and a shortcut that poses as a hidden document
// is the impersonating-launcher rule's.
constexpr std::wstring_view kPrograms[] = {L".exe", L".scr", L".com", L".pif", L".bat", L".cmd", L".vbs", L".vbe",
                                           L".js",  L".jse", L".wsf", L".wsh", L".hta", L".cpl", L".msi", L".jar"};
// What a user opens without a second thought: documents, pictures, music, films,
// archives and saved pages.
constexpr std::wstring_view kDocuments[] = {
    L".txt", L".rtf", L".pdf",  L".doc",  L".docx", L".docm", L".dot", L".dotx", L".xls", L".xlsx", L".xlsm", L".xlsb",
    L".csv", L".ppt", L".pptx", L".pptm", L".pps",  L".ppsx", L".odt", L".ods",  L".odp", L".jpg",  L".jpeg", L".png",
    L".gif", L".bmp", L".tif",  L".tiff", L".heic", L".webp", L".mp3", L".m4a",  L".wav", L".wma",  L".mp4",  L".m4v",
    L".avi", L".mkv", L".mov",  L".wmv",  L".mpg",  L".mpeg", L".zip", L".rar",  L".7z",  L".htm",  L".html"};

template <size_t N>
bool Holds(const std::wstring_view (&list)[N], const std::wstring& extension) {
  std::wstring lower = AsciiLower(extension);
  for (std::wstring_view item : list) {
    if (lower == item) return true;
  }
  return false;
}

// The name as Explorer shows it with extensions hidden: without its last one, and
// without the blanks, format characters and dots before it ("Report.pdf  .exe").
std::wstring ShownStem(const std::wstring& name) {
  std::wstring stem = name.substr(0, name.rfind(L'.'));
  size_t keep = 0;  // the end of the last code point that shows
  for (size_t i = 0; i < stem.size();) {
    char32_t c = NextCodePoint(stem, i);
    if (c != U'.' && !IsBlankOrFormat(c)) keep = i;
  }
  stem.resize(keep);
  return stem;
}

bool IsProgramLikeDocument(const FindData& entry) {
  if (entry.attributes & (kAttrDirectory | kAttrHidden | kAttrSystem)) return false;
  if (!Holds(kPrograms, ExtensionPart(entry.name))) return false;
  return Holds(kDocuments, ExtensionPart(ShownStem(entry.name)));
}

// Overrides, embeddings and isolates reorder what is shown, in any name ("Photo" U+202E
// "gpj.exe" shows as "Photoexe.jpg"). The marks only move punctuation, and Arabic and
// Hebrew names hold them: they count in a launcher's name only.
bool HasBidiControl(const FindData& entry) {
  bool launcher = !(entry.attributes & kAttrDirectory) &&
                  (Holds(kPrograms, ExtensionPart(entry.name)) || AsciiLower(ExtensionPart(entry.name)) == L".lnk");
  for (size_t i = 0; i < entry.name.size();) {
    char32_t c = NextCodePoint(entry.name, i);
    if (IsBidiReordering(c) || (launcher && IsBidiMark(c))) return true;
  }
  return false;
}

class TDisguisedNameRule : public ITraceRule {
 public:
  void Inspect(const TFolderView& folder, TTraceContext& context) override {
    for (const FindData& entry : folder.entries) {
      if (!context.GoOn()) return;
      // A link is left to the rules that look at where it leads.
      if (entry.attributes & kAttrReparsePoint) continue;
      if (HasBidiControl(entry)) {
        context.Report(EntryPath(folder.path, entry.name), Threat, {Why::BidiName, {}});
      } else if (IsProgramLikeDocument(entry)) {
        context.Report(EntryPath(folder.path, entry.name), Threat, {Why::DoubleExtension, {}});
      }
    }
  }
};

}  // namespace

std::unique_ptr<ITraceRule> MakeDisguisedNameRule() { return std::make_unique<TDisguisedNameRule>(); }

}  // namespace dw
