#pragma once
// What the game needs from the machine it runs on. Every pointer has a do-nothing default; the
// programs' start-up (app/machine) hands in the real ones, the tests their own.
#include <functional>
#include <string>
#include <string_view>

#include "platform/address_window.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/images.h"
#include "platform/socket_control.h"
#include "platform/sound.h"
#include "record/record_store.h"

namespace kb {

class DebugConsole;

struct Services {
    Clock* clock = nullptr;
    Dialogs* dialogs = nullptr;
    FontEngine* fonts = nullptr;
    ImageLoader* images = nullptr;
    SoundDevice* sound = nullptr;
    MusicDevice* music = nullptr;
    SocketControl* winsock = nullptr;   // the data connection
    SocketControl* winsockL = nullptr;  // the listening socket
    AddressWindow* form2 = nullptr;     // the address-entry window
    DebugConsole* debugWin = nullptr;   // the debug log window
    RecordStore* record = nullptr;      // where the player's matches are kept
    std::string programDir = ".";
    // The player's own folder, looked in first for every file the game reads (the word list,
    // the background, the sounds, the music); empty for none.
    std::string userDir;
    int gamePort = 1001;  // TCP port of the network match; tests move it to run side by side
    // Observable effects, one line each ("sound play 3", "msgbox T|X", ...); empty in the game.
    std::function<void(std::string_view)> trace;
};

// The do-nothing services a game falls back on where none is handed in. Each game has its own,
// so two games in one process never share a socket, a clock or a window.
struct NullServices {
    VirtualClock clock;
    NullDialogs dialogs;
    NullFontEngine fonts;
    NullImageLoader images;
    SilentSoundDevice sound;
    NullMusicDevice music;
    NullSocketControl winsock, winsockL;
    HeadlessAddressWindow form2;
    MemoryRecordStore record;
};

// Fills every empty pointer of s with the matching one of defaults.
Services WithDefaults(Services s, NullServices& defaults);

}  // namespace kb
