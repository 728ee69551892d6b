#include "ui/ScreenText.h"

#include <dlfcn.h>

// GDK's screen resolution, as the toolkit's drawing contexts scale their
// fonts by it. GDK is loaded with the toolkit, so its two functions are
// looked up in the running program instead of being built against.
double ScreenTextScale() {
    using DefaultScreen = void* (*)();
    using Resolution = double (*)(void*);
    const auto defaultScreen =
        reinterpret_cast<DefaultScreen>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
    const auto resolution =
        reinterpret_cast<Resolution>(dlsym(RTLD_DEFAULT, "gdk_screen_get_resolution"));
    void* screen = defaultScreen ? defaultScreen() : nullptr;
    const double dotsPerInch = screen && resolution ? resolution(screen) : -1.0;
    // An unset resolution (-1) means the default; the toolkit keeps the
    // factor in single precision.
    return dotsPerInch > 0.0 ? static_cast<float>(dotsPerInch / 96.0) : 1.0;
}
