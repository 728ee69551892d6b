// The one fatal path of the program: memory could not be had.
#pragma once

// Writes "Out of memory!" to standard output and ends the process at once
// with exit code -1, whatever other threads are doing.
[[noreturn]] void OutOfMemory();
