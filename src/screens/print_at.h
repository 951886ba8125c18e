#pragma once
#include <string_view>

#include "screens/surface.h"

namespace kb {

// Prints with the top-left corner of the text at (x, y) in twips, in the surface's current
// font and colour.
inline void PrintAt(Surface& d, double x, double y, std::u16string_view text) {
    d.CurrentX = x;
    d.CurrentY = y;
    d.Print(text);
}

// The x, in twips, that puts the text's right edge `marginPx` pixels from the right side.
inline double RightAligned(const Surface& d, int twipsX, int marginPx, std::u16string_view text) {
    return d.Width() - twipsX * marginPx - d.TextWidth(text);
}

}  // namespace kb
