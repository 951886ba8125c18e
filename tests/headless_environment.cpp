// Every test runs headless however it is started (make test, ctest, the binary by hand): SDL's
// dummy video and audio drivers, unless the caller chose others. Programs the tests start
// inherit them.
#include <cstdlib>

namespace {

const bool kHeadless = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

}  // namespace
