// Messages and questions on a terminal.
#include "TerminalInteraction.h"

#include <unistd.h>

#include <cstring>

CTerminalInteraction::CTerminalInteraction(bool assumeYes, std::FILE* in, std::FILE* out, std::FILE* err)
    : assumeYes_(assumeYes), in_(in), out_(out), err_(err)
{
}

int CTerminalInteraction::Show(int id, unsigned flags, const std::string& text)
{
    std::fflush(out_);
    const unsigned buttons = flags & 0xF;
    if (buttons == kMbYesNo || buttons == kMbOkCancel)
        return Ask(text, buttons == kMbOkCancel);
    const unsigned icon = flags & 0xF0;
    const bool toErr = icon == kMbIconError || icon == kMbIconWarning || id == kIdsOperationAborted;
    if (icon == kMbIconError)
        errorShown_ = true;
    std::fprintf(toErr ? err_ : out_, "%s\n", text.c_str());
    std::fflush(toErr ? err_ : out_);
    return kIdOk;
}

int CTerminalInteraction::Ask(const std::string& text, bool okCancel)
{
    const int yes = okCancel ? kIdOk : kIdYes;
    const int no = okCancel ? kIdCancel : kIdNo;
    std::fprintf(err_, "%s [y/N] ", text.c_str());
    if (assumeYes_) {
        std::fprintf(err_, "y\n");
        return yes;
    }
    if (in_ == nullptr || !isatty(fileno(in_))) {
        std::fprintf(err_, "n\n");
        return no;
    }
    std::fflush(err_);
    char line[64] = {};
    if (std::fgets(line, sizeof line, in_) == nullptr)
        return no;
    // "y", "yes", and the Russian "д", "да" (UTF-8) count as Yes.
    if (line[0] == 'y' || line[0] == 'Y' || std::strncmp(line, "\xD0\xB4", 2) == 0 ||
        std::strncmp(line, "\xD0\x94", 2) == 0)
        return yes;
    return no;
}
