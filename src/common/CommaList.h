// Comma lists: several texts in one value (a settings key, a language file's
// captions, TThreadStringList's CommaText).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dw {

// Reads a comma list: quoted items with doubled quotes inside, unquoted items
// ended by a comma or any character with a code from 1 to 32 (which also
// separate items as commas do). A trailing comma ends with an empty item.
std::vector<std::wstring> ReadCommaList(std::wstring_view text);
// Joins items with ","; an item holding a code 0 to 32, a comma or a double
// quote is quoted. One empty item is written as two double quotes.
std::wstring WriteCommaList(const std::vector<std::wstring>& items);

}  // namespace dw
