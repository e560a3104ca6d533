// An interaction that answers from a script and records every message it
// was asked to show (id, flags, text).
#pragma once
#include "Interaction.h"

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct ShownMessage {
    int id;
    unsigned flags;
    std::string text;
    std::string check; // the label of its check box; empty: none
};

class CScriptedInteraction : public IInteraction {
public:
    int Show(int id, unsigned flags, const std::string& text) override;
    // Answered as Show answers; the check box is ticked or cleared as
    // Tick says for that id, else left as it is.
    int ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& check) override;

    // The next question with this id is answered with `button`; without a
    // queued answer, questions get kIdNo and plain messages kIdOk.
    void Answer(int id, int button) { answers_[id].push_back(button); }
    // Every question with this id is answered with `button`.
    void AlwaysAnswer(int id, int button) { always_[id] = button; }
    // The check box of every question with this id is left ticked or not.
    void Tick(int id, bool checked) { ticks_[id] = checked; }

    const std::vector<ShownMessage>& Shown() const { return shown_; }
    // The ids of the messages shown, in order.
    std::vector<int> Ids() const;
    int Count(int id) const;
    void Reset() { shown_.clear(); }

    // Runs as each message is shown, before it is answered: what the front
    // end looks like while the message is up.
    std::function<void(const ShownMessage&)> whenShown;

private:
    std::map<int, std::deque<int>> answers_;
    std::map<int, int> always_;
    std::map<int, bool> ticks_;
    std::vector<ShownMessage> shown_;
};
