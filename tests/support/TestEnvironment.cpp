// Linked into every test program: before any test runs, the home folder and the program folder point
// into the build tree and Qt draws offscreen, so no test touches a user's own files or display.
#include <cstdlib>
#include <string>

namespace {

const bool kEnvironmentSet = [] {
    const std::string home = ONDRIX_TEST_HOME;
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
    setenv("ONDRIX_HOME", (home + "/.config/ondrix").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return true;
}();

} // namespace
