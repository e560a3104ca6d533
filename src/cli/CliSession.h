// What every command of the command line works with: the parsed options,
// the environment its cards are found and opened in, the terminal's
// interaction and progress, and helpers that open the card, check numbers
// and print the command line's own texts.
#pragma once
#include "CliOptions.h"
#include "DvPicture.h"
#include "TerminalInteraction.h"
#include "TerminalProgress.h"

#include <string>

#include "CDisk.h"

struct CEnvironment;

class CCliSession {
public:
    // `env` must outlive the session.
    CCliSession(const CliOptions& options, const CEnvironment& env);

    const CliOptions& Options() const { return options_; }
    const CEnvironment& Env() const { return env_; }
    CTerminalInteraction& Ui() { return ui_; }
    CTerminalProgress& Progress() { return progress_; }

    // Opens CARD (a path, or CARDn from the card list) into `disk` with this
    // session's interaction and reads its tables. With `needLoaded` a card
    // that is not formatted is refused. Prints the reason and returns
    // false when the card cannot be used. A command that only reads opens
    // it with kCardRead; one that writes with kCardWrite, which refuses a
    // write-protected card (the read-only message printed).
    bool OpenCard(const std::string& card, CDisk& disk, bool needLoaded, CardAccess access);
    // What the card list calls CARD (CardDiscovery.h), for the questions
    // that name it: "CARD1 - Generic SD/MMC (/dev/sdb)", "demo.img".
    std::string CardName(const std::string& card) const;

    // Parses SLOT, opens CARD (formatted) and checks that the slot holds a
    // clip. SLOT is a number from 1 or a clip's name after "@" (ClipSlot).
    // kExitDone when it does, else the exit status to end with (the reason
    // printed).
    int OpenClipSlot(const std::string& card, const std::string& slotText, CDisk& disk, int& slot,
                     CardAccess access);
    // SLOT of the loaded card as a 0-based slot: a number from 1 (kExitUsage
    // when out of range), or "@NAME", the one clip of that name (kExitFailed
    // when no clip or more than one has it). The reason is printed.
    int ClipSlot(const std::string& slotText, const CDisk& disk, int& slot);
    // True for "@NAME" as ClipSlot takes it.
    static bool IsClipName(const std::string& slotText);

    // Parses a number the user counts from 1 (slot, playlist, entry) into a
    // 0-based index; prints "... must be a number from 1 to max" otherwise.
    bool Index(const std::string& text, const char* what, int max, int& index);

    // The frame shape for conversions: --aspect, else the settings.
    DvAspect Aspect() const;

    // Prints text `id` filled printf-style, on stdout or stderr.
    void Say(int id, ...);
    void Error(int id, ...);
    bool ErrorPrinted() const { return errorPrinted_; }

private:
    CliOptions options_;
    const CEnvironment& env_;
    CTerminalInteraction ui_;
    CTerminalProgress progress_;
    bool errorPrinted_ = false;
};
