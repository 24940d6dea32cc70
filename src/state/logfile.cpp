#include "state/logfile.h"

#include "state/LogActions.h"

namespace dw {

namespace {

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ++end;
    start = end + 1;
  }
  return lines;
}

}  // namespace

TLogFile::TLogFile(const std::wstring& dataFolder, LogFailureHook onFailure) : FOnFailure(std::move(onFailure)) {
  std::optional<std::wstring> user = Sys().UserName();
  std::wstring baseName = (user && !user->empty()) ? L"drivewarden_log_" + *user : L"";
  std::wstring folder = dataFolder + L"log";
  FFileName = folder + L"\\" + baseName + L".u.txt";
  if (Fs().Attributes(folder) == kInvalidAttributes) Fs().CreateFolder(folder);
  // Not creatable, or held by a writer that shares nothing: the program runs on,
  // and the first entry lost says so.
  Fstream = Fs().OpenShared(FFileName);
}

void TLogFile::addItem(const std::wstring& action, const std::wstring& arg) {
  bool tell = false;
  {
    // The time is read under the lock too, so that this run's entries land in
    // time order.
    std::lock_guard<std::mutex> lock(FLock);
    std::wstring entry = Sys().LocalDateTimeText() + L" " + action + L" " + arg + L";";
    // A failed write (a full disk, a vanished folder, another writer holding the
    // file's lock too long) loses this entry only.
    if (!Fstream || !Fstream->Append(Sys().ToAnsi(entry))) {
      tell = !FFailureTold;
      FFailureTold = true;
    }
  }
  // Every logged kind that the system's event log knows reaches it from here, so
  // that no caller can log one without the other. Outside the lock: the entries
  // of other threads need not wait for the event log.
  ReportLoggedEvent(action, arg);
  // Outside the lock: the hook may hand a notice to the window thread.
  if (tell && FOnFailure) FOnFailure(FFileName);
}

std::vector<std::wstring> TLogFile::lbGetLog() {
  if (!Fstream) return {};
  std::lock_guard<std::mutex> lock(FLock);
  std::optional<std::string> bytes = Fstream->ReadAll();
  return bytes ? SplitLines(Sys().FromAnsi(*bytes)) : std::vector<std::wstring>{};
}

std::optional<FileStart> TLogFile::ReadTail(size_t maxBytes) {
  if (!Fstream) return std::nullopt;
  std::lock_guard<std::mutex> lock(FLock);
  return Fstream->ReadTail(maxBytes);
}

void TLogFile::EraseLog() {
  if (!Fstream) return;
  std::lock_guard<std::mutex> lock(FLock);
  Fstream->Truncate();
}

}  // namespace dw
