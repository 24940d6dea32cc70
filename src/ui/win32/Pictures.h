// The program's pictures, drawn in code at whatever size is asked for: the three
// state icons of ImageList1 and the scan button's glyph.
#pragma once

#include <string_view>

#include "ui/win32/Handles.h"

namespace dw::win32 {

// The picture names a layout row may give.
inline constexpr std::wstring_view kStateIconsPicture = L"STATEICONS";
inline constexpr std::wstring_view kScanGlyphPicture = L"SCANGLYPH";

// A shield: 0 green with a tick (protected), 1 grey with a red cross (protection
// off), 2 red with "!" (findings). Any other image gives the protected one, which
// also stands for the application's own icon.
TIconHandle DrawStateIcon(int image, int size);
// A magnifying glass.
TIconHandle DrawScanGlyph(int size);
// Image `index` of a named picture; null for a name nobody knows.
TIconHandle DrawPicture(std::wstring_view picture, int index, int size);

}  // namespace dw::win32
