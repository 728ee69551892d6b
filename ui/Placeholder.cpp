// Filled in by the window work.
