// Each test program of real input gets a virtual display of its own with a
// window manager on it, so that its pointer, focus and grabs are nobody
// else's while other test programs run at the same time.
#pragma once

#include <string>

// Starts Xvfb and openbox and points DISPLAY at them; false with the reason
// in error. Both end with this process.
bool StartPrivateDisplay(std::string& error);
void StopPrivateDisplay();
