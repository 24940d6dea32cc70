#include "state/LogReader.h"

#include <algorithm>
#include <optional>

#include "platform/Platform.h"
#include "state/LogActions.h"
#include "state/logfile.h"

namespace dw {

namespace {

// A date of every locale fits: "10/12/2026 14:03:07", "12/10/2026 2:03:07 PM",
// "2026-12-10 14:03:07", a midnight date alone.
constexpr size_t kMaxDateWords = 4;
constexpr size_t kMaxDateLength = 48;

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

// A word of another version of the program: letters, one or more "/", letters.
bool LooksLikeActionWord(std::wstring_view word) {
  if (word.empty() || word.front() == L'/' || word.back() == L'/') return false;
  bool slash = false;
  for (wchar_t c : word) {
    if (c == L'/') {
      slash = true;
    } else if (!IsAsciiLetter(c)) {
      return false;
    }
  }
  return slash;
}

struct TEntryStart {
  size_t dateEnd;
  size_t actionEnd;
};

class TLogParser {
 public:
  explicit TLogParser(std::wstring_view text) : FText(text) {}

  // The date and the action word of an entry beginning at pos, followed by the
  // blank before the target.
  std::optional<TEntryStart> EntryAt(size_t pos) const {
    size_t wordStart = pos;
    for (size_t words = 0; words < kMaxDateWords; ++words) {
      const size_t wordEnd = WordEnd(wordStart);
      if (wordEnd == wordStart || wordEnd >= FText.size() || FText[wordEnd] != L' ') return std::nullopt;
      if (wordEnd - pos > kMaxDateLength) return std::nullopt;
      if (words == 0 && !HasDigit(wordStart, wordEnd)) return std::nullopt;
      const size_t next = wordEnd + 1;
      if (std::optional<size_t> actionEnd = ActionAt(next)) return TEntryStart{wordEnd, *actionEnd};
      wordStart = next;
    }
    return std::nullopt;
  }

  // The ';' that closes an entry whose target begins at from: the first one
  // followed by the end of the text or by the start of an entry. Before a damaged
  // tail, where neither comes, the last one: the entry before the damage counts.
  std::optional<size_t> EntryEnd(size_t from) const {
    std::optional<size_t> last;
    for (size_t semi = FText.find(L';', from); semi != std::wstring_view::npos; semi = FText.find(L';', semi + 1)) {
      if (semi + 1 == FText.size() || EntryAt(semi + 1)) return semi;
      last = semi;
    }
    return last;
  }

  // Where the first entry begins: at pos 0 when the text starts with one,
  // otherwise after the first ';' that an entry follows.
  std::optional<size_t> FirstEntry(bool startsMidway) const {
    if (!startsMidway && EntryAt(0)) return 0;
    for (size_t semi = FText.find(L';'); semi != std::wstring_view::npos; semi = FText.find(L';', semi + 1)) {
      if (semi + 1 < FText.size() && EntryAt(semi + 1)) return semi + 1;
    }
    return std::nullopt;
  }

 private:
  size_t WordEnd(size_t pos) const {
    while (pos < FText.size() && FText[pos] != L' ' && FText[pos] != L';') ++pos;
    return pos;
  }

  bool HasDigit(size_t begin, size_t end) const {
    return std::any_of(FText.begin() + static_cast<std::ptrdiff_t>(begin),
                       FText.begin() + static_cast<std::ptrdiff_t>(end), IsDigit);
  }

  // The end of the action word at pos when a blank follows it.
  std::optional<size_t> ActionAt(size_t pos) const {
    const std::wstring_view rest = FText.substr(std::min(pos, FText.size()));
    for (const TLogAction& action : LogActions()) {
      const std::wstring_view word = action.Word;
      if (rest.size() > word.size() && rest.substr(0, word.size()) == word && rest[word.size()] == L' ')
        return pos + word.size();
    }
    const size_t end = WordEnd(pos);
    if (end < FText.size() && FText[end] == L' ' && LooksLikeActionWord(FText.substr(pos, end - pos))) return end;
    return std::nullopt;
  }

  std::wstring_view FText;
};

}  // namespace

std::vector<TLogEntry> ParseLogText(std::wstring_view text, bool startsMidway) {
  std::vector<TLogEntry> entries;
  const TLogParser parser(text);
  std::optional<size_t> pos = parser.FirstEntry(startsMidway);
  while (pos && *pos < text.size()) {
    const std::optional<TEntryStart> start = parser.EntryAt(*pos);
    if (!start) break;
    const size_t targetBegin = start->actionEnd + 1;
    const std::optional<size_t> end = parser.EntryEnd(targetBegin);
    if (!end) break;
    entries.push_back({std::wstring(text.substr(*pos, start->dateEnd - *pos)),
                       std::wstring(text.substr(start->dateEnd + 1, start->actionEnd - start->dateEnd - 1)),
                       std::wstring(text.substr(targetBegin, *end - targetBegin))});
    pos = *end + 1;
  }
  return entries;
}

TLogReading ReadLogNewestFirst(TLogFile& log, size_t maxBytes, size_t maxRows) {
  TLogReading reading;
  std::optional<FileStart> tail = log.ReadTail(maxBytes);
  if (!tail) return reading;
  reading.Opened = true;
  reading.Entries = ParseLogText(Sys().FromAnsi(tail->bytes), !tail->complete);
  reading.CutShort = !tail->complete;
  if (reading.Entries.size() > maxRows) {
    reading.Entries.erase(reading.Entries.begin(), reading.Entries.end() - static_cast<std::ptrdiff_t>(maxRows));
    reading.CutShort = true;
  }
  std::reverse(reading.Entries.begin(), reading.Entries.end());
  return reading;
}

}  // namespace dw
