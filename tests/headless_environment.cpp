// Every test runs headless however it is started (make test, ctest, the binary by hand): SDL's
// dummy video and audio drivers, unless the caller chose others. Programs the tests start
// inherit them. The player's data folder is a fresh one of the test run's own, so that no
// match a test plays joins the record of whoever runs the tests.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const bool kHeadless = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    return true;
}();

class DataHome {
  public:
    DataHome() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kb-data-home-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            path_ = pattern;
            setenv("XDG_DATA_HOME", path_.c_str(), 1);
        }
    }
    ~DataHome() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }

  private:
    std::string path_;
};

const DataHome kDataHome;

}  // namespace
