#pragma once
// The figures of the result screen, kept apart from the drawing so they can be checked alone.
#include <string>

namespace kb {

// Score: keys per second x 50 (rounded down) plus half the keys minus 20 per miss, rounded
// with halves to even, then the difficulty and opponent bonuses, and never below 0.
int ResultScore(int typeCount, int missCount, int playSec, int gameLevel, int menuNo);

// Figures to two decimals, held as hundredths so that they print exactly.
long long TypingRateHundredths(int typeCount, int missCount, int playSec);
long long MissRatioHundredths(int typeCount, int missCount);

// "1.93", "2.5", "3": plain decimal without trailing zeros.
std::u16string HundredthsText(long long hundredths);

}  // namespace kb
