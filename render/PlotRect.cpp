// Filled in by the rendering work.
