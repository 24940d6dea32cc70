#include "engine/keptfindings.h"

#include <optional>
#include <vector>

#include "common/Text.h"
#include "engine/drivepath.h"
#include "engine/rules.h"
#include "engine/scanthread.h"
#include "platform/Platform.h"
#include "state/SharedState.h"

namespace dw {

namespace {

// The program writes the file itself, but a file in a writable folder is read
// like any other: within a bound, line by line, every field checked.
constexpr size_t kMaxKeptBytes = 8u << 20;
constexpr uint8_t kLastWhy = static_cast<uint8_t>(Why::DisguisingDesktopIni);

struct TKept {
  FindingKind kind;
  TFindingWhy why;
  std::wstring path;
};

// "kind TAB why TAB detail TAB path": the path last, as it is the one field that
// may hold anything.
std::optional<TKept> ParseLine(const std::wstring& line) {
  std::vector<std::wstring> fields;
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t tab = line.find(L'\t', start);
    if (tab == std::wstring::npos) return std::nullopt;
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  if (fields[0] != L"0" && fields[0] != L"1") return std::nullopt;
  if (fields[1].empty() || fields[1].size() > 3 || fields[1].find_first_not_of(L"0123456789") != std::wstring::npos)
    return std::nullopt;
  const int why = std::stoi(fields[1]);
  if (why > kLastWhy || fields[3].empty()) return std::nullopt;
  return TKept{fields[0] == L"0" ? Threat : Suspicious, {static_cast<Why>(why), fields[2]}, fields[3]};
}

bool HasControl(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c == L'\t' || c == L'\r' || c == L'\n') return true;
  }
  return false;
}

}  // namespace

std::wstring KeptFindingsPath() { return State().DataFolder + L"config\\listed-findings.txt"; }

bool KeepListedFindings() {
  TSharedState& state = State();
  std::string bytes;
  for (int kind : {Threat, Suspicious}) {
    for (const std::wstring& path : (kind == Threat ? state.ThreatList : state.RiskList).Snapshot()) {
      const TFindingWhy why = state.FindingReasons.Get(kind, path).value_or(TFindingWhy{});
      // A name a line cannot hold is not kept: the rescan of the elevated run may find it.
      if (HasControl(path) || HasControl(why.detail)) continue;
      const std::wstring line = std::to_wstring(kind) + L"\t" + std::to_wstring(static_cast<int>(why.why)) + L"\t" +
                                why.detail + L"\t" + path + L"\n";
      bytes += WideToUtf8(line);
    }
  }
  if (bytes.empty()) return true;
  Fs().CreateFolder(State().DataFolder + L"config");
  return Fs().WriteAll(KeptFindingsPath(), bytes);
}

int RelistKeptFindings() {
  const std::wstring file = KeptFindingsPath();
  std::optional<std::string> bytes = Fs().ReadRegularWhole(file, kMaxKeptBytes);
  if (!bytes) return 0;
  // Read once: a second start must not list what has since been dealt with.
  Fs().Delete(file);
  const std::vector<PdiskInfo> drives = State().DriveList.Snapshot();
  int listed = 0;
  const std::wstring text = Utf8ToWide(*bytes);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::optional<TKept> kept = ParseLine(text.substr(start, end - start));
    start = end + 1;
    if (!kept) continue;
    PdiskInfo drive;
    for (const PdiskInfo& candidate : drives) {
      if (EqualsNoCase(DriveRootOf(kept->path), candidate->root)) drive = candidate;
    }
    // Off the drives present, or gone meanwhile: nothing to show.
    if (!drive || ResolveOnDrive(kept->path, drive->root).place == EntryPlace::Missing) continue;
    if (AddToLists(kept->path, kept->kind, drive, kept->why)) ++listed;
  }
  if (listed > 0) {
    if (IScanView* view = ScanView()) view->RefreshFindingsView(0);
  }
  return listed;
}

}  // namespace dw
