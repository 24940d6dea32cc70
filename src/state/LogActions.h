// The action words of the log: what each means in the user's words, and the
// event that the system's event log gets for it. The entry format and the words
// stay as they are: other tools read the log.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace dw {

// Event ids of the program's message table (src/programs/resources/events.mc); an
// id, once shipped, keeps its meaning.
constexpr uint32_t kEventNone = 0;
constexpr uint32_t kEventDetection = 100;
constexpr uint32_t kEventDisposed = 200;
constexpr uint32_t kEventDisposeFailed = 201;
constexpr uint32_t kEventRestored = 300;
constexpr uint32_t kEventRestoreFailed = 301;
constexpr uint32_t kEventQuarantineErased = 400;
constexpr uint32_t kEventQuarantineEraseFailed = 401;
constexpr uint32_t kEventRepairStarted = 500;
constexpr uint32_t kEventRepairDone = 501;
constexpr uint32_t kEventRepairIncomplete = 502;
constexpr uint32_t kEventRepairStepFailed = 503;
constexpr uint32_t kEventProtectionOn = 600;
constexpr uint32_t kEventProtectionOff = 601;
constexpr uint32_t kEventElevationRequested = 700;
constexpr uint32_t kEventElevationFailed = 701;

struct TLogAction {
  const wchar_t* Word;
  const std::wstring* Text;  // a catalogue entry: it follows the language
  uint32_t EventId;          // kEventNone: the kind is not reported
  EventLevel Level;
};

std::span<const TLogAction> LogActions();
// The word's entry (exact, as written); null for a word of another version.
const TLogAction* FindLogAction(std::wstring_view word);
// What the user reads for a word: its catalogue text, or the word itself.
std::wstring LogActionText(std::wstring_view word);

// The drive a target starts with ("E:\"), empty when it names none.
std::wstring TargetDrive(std::wstring_view target);

// The event of one logged entry, when its kind has one: the target and its drive
// fill the message's %1 and %2.
void ReportLoggedEvent(std::wstring_view word, const std::wstring& target);

}  // namespace dw
