// The log page: the log's entries, newest first, in the user's words, and the
// command that opens the file itself.
#include "common/Text.h"
#include "loc/LangLocStrings.h"
#include "platform/Platform.h"
#include "state/Elevation.h"
#include "state/LogActions.h"
#include "state/LogReader.h"
#include "state/Notify.h"
#include "state/SharedState.h"
#include "state/logfile.h"
#include "ui/main.h"

namespace dw {

namespace {

// Past this a path is cut off by its column: the row's tip gives it whole.
constexpr size_t kTipFrom = 48;

std::vector<TListRow> LogRows(std::vector<TLogEntry>& entries) {
  std::vector<TListRow> rows;
  rows.reserve(entries.size());
  for (TLogEntry& entry : entries) {
    std::wstring tip = entry.Target.size() > kTipFrom ? entry.Target : std::wstring();
    rows.push_back(
        {std::move(entry.Date), {LogActionText(entry.Action), std::move(entry.Target)}, false, std::move(tip)});
  }
  return rows;
}

}  // namespace

void TPanelfrm::TabSheet7Show(TComponent&) {
  TComponent& list = Component(L"ListView6");
  TComponent& state = Component(L"IlogState");
  TLogFile* log = State().Log.get();
  TLogReading reading = log ? ReadLogNewestFirst(*log) : TLogReading{};
  list.SetRows(LogRows(reading.Entries));
  if (!reading.Opened) {
    state.SetCaption(FormatText(MsgLogOpenFailed, {log ? log->FileName() : std::wstring()}));
  } else if (reading.CutShort) {
    state.SetCaption(FormatText(MsgLogCutShort, {static_cast<int64_t>(list.RowCount())}));
  } else {
    state.SetCaption(L"");
  }
}

void TPanelfrm::btlogOpenClick(TComponent&) {
  TLogFile* log = State().Log.get();
  const std::wstring path = log ? log->FileName() : std::wstring();
  // The program's own text file, opened by whatever the user reads text with.
  if (log && log->IsOpen() && Sys().Shell(OwnerWindow::ControlPanel, L"open", path, L"", L"", kSwShowNormal)) return;
  ShowNotification(MsgFailureTitle, FormatText(MsgLogOpenFailed, {path}), 1);
}

}  // namespace dw
