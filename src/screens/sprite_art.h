#pragma once
#include <cstdint>

namespace kb {

// The three fixed sprite sheets, drawn in code at start-up instead of loaded from files.
// Pixels are 0x00RRGGBB, row-major, top byte always 0 (the blits combine pixels with OR and AND).
// PIC and EXPpic hold each sprite twice, cell for cell: on white in the upper row and as a
// white-on-black shape in the lower row, so that OR with the shape then AND with the picture
// draws the sprite over anything.
void DrawPicSheet(uint32_t* px);   // 320 x 64
void DrawExpSheet(uint32_t* px);   // 320 x 128
void DrawWakuFrame(uint32_t* px);  // 36 x 36

}  // namespace kb
