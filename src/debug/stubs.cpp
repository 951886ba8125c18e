// Placeholders until the debug console lands.
#include "debug/debug_log.h"

namespace kb {
void DebugAdd(Game&, int, const std::u16string&) {}
void Display_MouseDown(Game&, int, int, float, float) {}
}  // namespace kb
