// The command-line front end's entry point, callable from tests.
#pragma once

// Runs tessaro-card with the given arguments; returns the exit status
// (0 done, 1 refused, failed or aborted, 2 wrong usage).
int RunCardCli(int argc, char** argv);
