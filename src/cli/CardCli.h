// The command-line front end's entry point, callable from tests.
#pragma once

struct CEnvironment;

// Runs tessaro-card with the given arguments, finding and opening cards as
// `env` says; returns the exit status (0 done, 1 refused, failed or
// aborted, 2 wrong usage).
int RunCardCli(int argc, char** argv, const CEnvironment& env);
