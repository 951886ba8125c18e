#include "screens/result_figures.h"

#include <cmath>

#include "text/ustr.h"

namespace kb {

namespace {

// n / d to two decimals, a half rounded up, taken from the exact quotient as the decimal
// formatting of the figure does (1/8 gives 0.13). n >= 0, d > 0.
long long RoundedHundredths(long long n, long long d) {
    return (200 * n + d) / (2 * d);
}

int LevelBonus(int gameLevel) {
    switch (gameLevel) {
        case 1:
            return 15;
        case 2:
            return 30;
        default:
            return 0;
    }
}

int OpponentBonus(int menuNo) {
    switch (menuNo) {
        case 1:
            return 10;
        case 2:
            return 25;
        case 3:
            return 40;
        case 4:
            return 60;
        default:
            return 0;  // speed 1 and the network items
    }
}

}  // namespace

int ResultScore(int typeCount, int missCount, int playSec, int gameLevel, int menuNo) {
    // A match always lasts the count-down; a zero time only comes from a cut-short match,
    // and then the speed part counts nothing rather than dividing by zero.
    const double speed =
        playSec > 0 ? std::floor(static_cast<double>(typeCount) / playSec * 50.0) : 0.0;
    const double base = speed + (typeCount / 2.0 - missCount * 20.0);
    // Halves go to the even neighbour (the default rounding mode), so 80.5 gives 80.
    int score = static_cast<int>(std::nearbyint(base));
    score += LevelBonus(gameLevel) + OpponentBonus(menuNo);
    return score > 0 ? score : 0;  // the bonuses count before the floor
}

long long TypingRateHundredths(int typeCount, int missCount, int playSec) {
    const long long hits = static_cast<long long>(typeCount) - missCount;
    if (hits <= 0 || playSec <= 0) return 0;
    return RoundedHundredths(hits, playSec);
}

long long MissRatioHundredths(int typeCount, int missCount) {
    if (missCount <= 0) return 0;
    if (typeCount <= 0) return static_cast<long long>(missCount) * 100;
    return RoundedHundredths(typeCount, missCount);
}

std::u16string HundredthsText(long long hundredths) {
    std::u16string text = Num(hundredths / 100);
    const long long frac = hundredths % 100;
    if (frac == 0) return text;
    text += u'.';
    text += static_cast<char16_t>(u'0' + frac / 10);
    if (frac % 10 != 0) text += static_cast<char16_t>(u'0' + frac % 10);
    return text;
}

}  // namespace kb
