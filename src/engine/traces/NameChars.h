// Characters of a name that the user does not see as such: blanks and format
// characters that print as nothing, and the controls that reorder what is shown.
// Worms name their folders and launchers with them so that what Explorer shows is
// not what the name is.
#pragma once

#include <string>
#include <string_view>

namespace dw {

// The code point at i, i moved past it (a UTF-16 pair where wchar_t is 16 bits).
char32_t NextCodePoint(std::wstring_view text, size_t& i);

// Blanks, format characters and fillers that print as nothing or as a blank.
bool IsBlankOrFormat(char32_t c);
// Embeddings, overrides and isolates: they reverse or reorder a run of text.
bool IsBidiReordering(char32_t c);
// The marks (LRM, RLM, ALM): they only steer the neutral characters near them.
bool IsBidiMark(char32_t c);

// Prints as nothing, or as underscores only: "\u00A0", "_", "__". Worms name
// their hiding folders so.
bool IsInvisibleName(std::wstring_view name);
// Invisible, a recycle bin's name where no Windows of today makes one, or ending
// with a class id that Explorer shows in the folder's place.
bool IsHidingName(std::wstring_view name);

// "U+00A0 U+00A0" for a name that prints as nothing: the only way to tell the user
// which entry is meant. At most max code points, then "...".
std::wstring CodePointsText(std::wstring_view name, size_t max = 8);

}  // namespace dw
