// The program's version, as the banner, --version and the About box show it.
#pragma once

inline constexpr const char* kQuenvarVersion = "0.27";
