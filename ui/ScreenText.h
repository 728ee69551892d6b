// How much larger than its size in points at 96 dots per inch the toolkit
// draws text on this desktop (its font resolution or scaling factor), so
// that the map's labels follow it as the window's own text does.
#pragma once

double ScreenTextScale();
