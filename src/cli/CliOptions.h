// The command line split into its command, positional arguments and
// options. Options may stand anywhere after the program name.
#pragma once
#include <string>
#include <vector>

struct CliOptions {
    bool yes = false;
    int language = -1;     // -1: the user's locale
    bool json = false;
    bool help = false;     // --help: the usage text on standard output
    bool version = false;  // --version
    int slot = -1;         // --slot N as given (from 1); -1 when absent
    int at = -1;           // --at K as given (from 1)
    int size = -1;         // --size W
    int aspect = -1;       // --aspect: 0 4:3, 1 16:9, -1 as the settings say
    bool convert = false;  // --convert
    bool noVerify = false; // --no-verify: a written clip is not read back
    bool all = false;      // --all: scan the whole card (formatting it first)
    int table = -1;        // --table N as given (from 1)
    bool partial = false;  // --partial: a table's clips that are whole
    bool runs = false;     // --runs [LIST]
    std::string runList;   // LIST of --runs ("1,3-5"); empty: all
    std::string keep;      // --keep FILE: with --convert, also keep a DV copy
    std::string command;
    std::vector<std::string> args; // positional arguments after the command
    std::vector<std::string> given; // names of the options given ("--json", ...)
    std::string error;     // why the line is wrong; empty when it parsed
};

CliOptions ParseCliOptions(int argc, char** argv);

// Parses a whole decimal number; false for anything else.
bool ParseNumber(const std::string& text, long long& value);
