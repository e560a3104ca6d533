// The interaction interface on a terminal: messages are printed (errors,
// warnings and "Operation aborted." on stderr, the rest on stdout);
// questions are answered Yes by --yes, asked as "[y/N]" on a terminal, and
// answered No when there is no terminal to ask.
#pragma once
#include "Interaction.h"

#include <cstdio>

class CTerminalInteraction : public IInteraction {
public:
    CTerminalInteraction(bool assumeYes, std::FILE* in = stdin, std::FILE* out = stdout,
                         std::FILE* err = stderr);
    int Show(int id, unsigned flags, const std::string& text) override;

    // Whether an error message was shown (the command then fails).
    bool ErrorShown() const { return errorShown_; }

private:
    int Ask(const std::string& text, bool okCancel);

    bool assumeYes_;
    std::FILE* in_;
    std::FILE* out_;
    std::FILE* err_;
    bool errorShown_ = false;
};
