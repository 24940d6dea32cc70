// Reading the log back for the user. The log is one unbroken line of entries
// "date action target;" whose targets may hold blanks, ';' or text shaped like a
// date, and its file may be huge or damaged: it is read from its end up to a
// bound, and an entry counts only where its start has the shape of one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dw {

class TLogFile;

struct TLogEntry {
  std::wstring Date;
  std::wstring Action;
  std::wstring Target;
  bool operator==(const TLogEntry&) const = default;
};

// The end of a longer log is read at most this far back; the page shows at most
// kMaxLogRows entries, the newest.
constexpr size_t kLogReadBytes = size_t{32} << 20;
constexpr size_t kMaxLogRows = 200000;

// The entries of text in file order. startsMidway: text is the end of a longer
// log, whose first characters may be the rest of an entry cut off. An entry
// without its closing ';' at the end of text (a damaged tail) is left out.
std::vector<TLogEntry> ParseLogText(std::wstring_view text, bool startsMidway);

struct TLogReading {
  std::vector<TLogEntry> Entries;  // newest first
  bool Opened = false;             // false: the log file could not be read at all
  bool CutShort = false;           // older entries were left out
};

TLogReading ReadLogNewestFirst(TLogFile& log, size_t maxBytes = kLogReadBytes, size_t maxRows = kMaxLogRows);

}  // namespace dw
