// The window program's command line: it opens the window when given no
// arguments; --help (or -h) prints a short usage text, --version the
// program's version, and anything else is wrong usage.
#pragma once

// Handles the arguments of `tessaro`: -1 when the window is to open (no
// arguments); otherwise the exit status after printing (0 for --help and
// --version on standard output, 2 with the usage on standard error).
int RunAppCommandLine(int argc, char** argv);
