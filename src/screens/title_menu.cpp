#include "screens/title_menu.h"

#include "screens/surface.h"
#include "text/ustr.h"

namespace kb {

std::u16string MenuText(int menuNo, int gameLevel) {
    // The change texts are padded to one length so that the line does not jump.
    switch (menuNo) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            return u"VS. Com [" + Num(menuNo + 1) + u"type/sec]";
        case kMenuDifficultyA:
            if (gameLevel == 0) return u"Chng to Normal Mode";
            if (gameLevel == 1 || gameLevel == 2) return u"Chng to   Easy Mode";
            return u"";
        case kMenuDifficultyB:
            if (gameLevel == 0 || gameLevel == 1) return u"Chng to   Hard Mode";
            if (gameLevel == 2) return u"Chng to Normal Mode";
            return u"";
        case kMenuServer:
            return u"VS. Player [Server]";
        case kMenuClient:
            return u"VS. Player [Client]";
        default:
            return u"";
    }
}

std::u16string LevelLabel(int gameLevel) {
    switch (gameLevel) {
        case 0:
            return u"   Easy Mode";
        case 1:
            return u" Normal Mode";
        case 2:
            return u"   Hard Mode";
        default:
            return u"";
    }
}

uint32_t LevelColor(int gameLevel) {
    switch (gameLevel) {
        case 1:
            return Rgb(0, 0, 255);
        case 2:
            return Rgb(255, 0, 0);
        default:
            return Rgb(0, 0, 0);
    }
}

int LevelAfterChange(int menuNo, int gameLevel) {
    if (menuNo == kMenuDifficultyA) return gameLevel == 0 ? 1 : 0;
    if (menuNo == kMenuDifficultyB) return gameLevel == 2 ? 1 : 2;
    return gameLevel;
}

}  // namespace kb
