// Linked into every test program: the tests run headless (SDL's dummy video and audio drivers with the
// software renderer) and never start a real file chooser, whatever the caller's environment says.
#include <cstdlib>

namespace {

struct HeadlessEnvironment {
    HeadlessEnvironment() {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("SDL_RENDER_DRIVER", "software", 1);
        setenv("PAGEWELL_FILE_DIALOG", "", 1);
    }
};

const HeadlessEnvironment headlessEnvironment;

}  // namespace
