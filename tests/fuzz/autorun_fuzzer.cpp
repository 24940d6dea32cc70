// Feeds arbitrary bytes to the profile reader as an autorun file, reads the keys
// the detection rules read, turns each value into a target path as rule 2 does,
// and writes the document back and reads it again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/PathRules.h"
#include "platform/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  dw::TProfileDocument document = dw::TProfileDocument::Parse(bytes);
  for (const wchar_t* key : {L"open", L"shellexecute"}) {
    std::optional<std::wstring> value = document.Find(L"autorun", key);
    if (!value) continue;
    std::wstring entry = dw::ProfileCopyEntry(*value, 2048);
    if (entry.size() >= 2048) __builtin_trap();
    std::wstring target = entry.substr(0, entry.find_first_of(L" \t"));
    dw::FullPathName(target, L"e:\\");
  }
  // A garbage file may re-read differently once rewritten (its first line can turn
  // into a byte-order mark); only the absence of faults is asked of the round trip.
  document.Set(L"autorun", L"open", L"x.exe");
  dw::TProfileDocument::Parse(document.Serialize());
  return 0;
}
