// Filled in by the data-model work.
