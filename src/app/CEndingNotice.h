// How a long operation ended, told on the desktop as well when the user
// works in another program: every message passes on to the window's own
// interaction unchanged, and the first one shown right after an operation
// ended (its closing message, "Write completed.") also becomes a desktop
// notification when, at that end, none of the program's windows was the
// active window. A question is never such a notice. The platform shows the
// notification; a desktop without a notification service only gets a line
// in the log.
#pragma once
#include "Interaction.h"

#include <functional>

class IDesktopNotifier;

class CEndingNotice : public IInteraction {
public:
    // `userAway` tells whether none of the program's windows is active;
    // `notifier` may be null (no notifications).
    CEndingNotice(IInteraction& inner, std::function<bool()> userAway, IDesktopNotifier* notifier);

    // The window's progress began (true) or ended (false). Returns the
    // number of that end, for Forget.
    unsigned OperationRunning(bool running);
    // What is shown from now on is no closing message of end number `end`
    // (the window has gone back to waiting for the user); a later end
    // stays.
    void Forget(unsigned end)
    {
        if (end == ends_)
            armed_ = false;
    }

    int Show(int id, unsigned flags, const std::string& text) override;
    int ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& check) override;

private:
    void Notice(unsigned flags, const std::string& text);

    IInteraction& inner_;
    std::function<bool()> userAway_;
    IDesktopNotifier* notifier_;
    bool armed_ = false;
    unsigned ends_ = 0;
};
