#pragma once
// What the window program takes from its environment besides SDL's own variables.
#include <functional>
#include <string>
#include <string_view>

namespace kb {

// The player's own folder for an installed game, $XDG_DATA_HOME/kanaburst/ (by default
// ~/.local/share/kanaburst/); empty for a program anywhere else, such as the build folder. The
// game counts as installed when its directory is PREFIX/installDir for any PREFIX.
std::string PlayerDataDir(std::string_view programDir, std::string_view installDir);
// The player's data folder, $XDG_DATA_HOME/kanaburst/ (by default ~/.local/share/kanaburst/),
// wherever the program runs from: where the record is kept. Empty when neither variable says.
std::string DataHomeDir();

// KB_TRACE=FILE: the game's effect lines, as the headless driver prints them, written to FILE
// one a line. Empty (nothing written) when KB_TRACE is not set or FILE cannot be made.
std::function<void(std::string_view)> TraceFromEnvironment();

}  // namespace kb
