// The one or two launchers left visible on a root whose user files are hidden: the
// user, finding nothing else, opens them (HIUPAN, SnakeDisk, PlugX, Gamarue,
// Phorpiex, movemenoreg all leave such a root).
#include <vector>

#include "common/Text.h"
#include "engine/traces/Launchers.h"
#include "engine/traces/TraceRule.h"

namespace dw {

namespace {

// A genuine recycle bin holds a folder per user; more entries than this is no
// longer one.
constexpr int kMaxRecycleBinEntries = 32;

// What the root's listing shows of the user's own: the visible launchers, and the
// entries he cannot see.
struct TRootShape {
  std::vector<const FindData*> launchers;
  std::vector<const FindData*> recycleBins;
  int hidden = 0;
  // What a user never does himself: mark a file system, give it a name that does
  // not show, or leave only a shortcut on his stick.
  bool wormSign = false;

  void AddHidden(const FindData& entry) {
    ++hidden;
    if ((entry.attributes & kAttrSystem) || HasUnseenName(entry)) wormSign = true;
  }
  // A user may hide a folder or two of his own beside his one program; a worm
  // hides everything.
  bool Emptied() const { return hidden >= 1 && (hidden >= 3 || wormSign); }
};

enum class BinLook { Genuine, Other, Unknown };

// Windows keeps in its recycle bin one folder per user, named by the user's SID
// (S-1-5-21-..., S-1-12-1-... for an Azure account), and a desktop.ini.
BinLook LookInto(const std::wstring& root, const FindData& bin, TTraceContext& context) {
  if (bin.attributes & kAttrReparsePoint) return BinLook::Other;
  const std::wstring path = EntryPath(root, bin.name);
  bool genuine = true;
  int count = 0;
  bool listed = Fs().List(path + L"\\", [&](const FindData& entry) {
    bool folder = entry.attributes & kAttrDirectory;
    bool expected = folder ? entry.name.size() > 4 && EqualsNoCase(entry.name.substr(0, 4), L"S-1-")
                           : EqualsNoCase(entry.name, L"desktop.ini");
    if (!expected || ++count > kMaxRecycleBinEntries) {
      genuine = false;
      return false;
    }
    return context.GoOn();
  });
  if (listed) return genuine ? BinLook::Genuine : BinLook::Other;
  uint32_t error = Fs().LastError();
  // Gone meanwhile: it hides nothing.
  if (error == kErrorFileNotFound || error == kErrorPathNotFound) return BinLook::Genuine;
  context.ScanError(path, ScanErrorKind::Unreadable);
  return BinLook::Unknown;
}

class TEmptiedRootRule : public ITraceRule {
 public:
  void Inspect(const TFolderView& folder, TTraceContext& context) override {
    if (!folder.isRoot) return;
    TRootShape shape;
    if (!Shape(folder.entries, shape)) return;
    if (shape.launchers.empty() || shape.launchers.size() > 2) return;
    // Only when it decides: a look inside costs a listing.
    for (const FindData* bin : shape.recycleBins) {
      if (shape.Emptied()) break;
      BinLook look = LookInto(folder.path, *bin, context);
      if (look == BinLook::Unknown) return;
      if (look == BinLook::Genuine) continue;
      if (!IsHidden(*bin)) return;
      shape.AddHidden(*bin);
    }
    if (!shape.Emptied()) return;

    TClassicPairs pairs(folder.entries);
    for (const FindData* launcher : shape.launchers) {
      if (pairs.Covers(*launcher) || !CanReport(folder, *launcher, context)) continue;
      context.Report(EntryPath(folder.path, launcher->name), Threat, {Why::EmptiedRoot, {}});
    }
  }

 private:
  // False as soon as the root shows the user something of his own.
  static bool Shape(const std::vector<FindData>& entries, TRootShape& shape) {
    for (const FindData& entry : entries) {
      switch (ShownAs(entry)) {
        case TShownAs::Nothing: break;
        case TShownAs::Content: return false;
        case TShownAs::RecycleBin: shape.recycleBins.push_back(&entry); break;
        case TShownAs::Launcher:
          shape.launchers.push_back(&entry);
          if (IsShortcutExtension(ExtensionPart(ShownName(entry.name)))) shape.wormSign = true;
          break;
        case TShownAs::Hidden: shape.AddHidden(entry); break;
      }
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<ITraceRule> MakeEmptiedRootRule() { return std::make_unique<TEmptiedRootRule>(); }

}  // namespace dw
