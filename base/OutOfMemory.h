// The one fatal path of the program: memory could not be had.
#pragma once

// Writes "Out of memory!" to standard output and ends the process with exit code -1.
[[noreturn]] void OutOfMemory();
