// An interaction that answers from a script and records every message it
// was asked to show (id, flags, text).
#pragma once
#include "Interaction.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

struct ShownMessage {
    int id;
    unsigned flags;
    std::string text;
};

class CScriptedInteraction : public IInteraction {
public:
    int Show(int id, unsigned flags, const std::string& text) override;

    // The next question with this id is answered with `button`; without a
    // queued answer, questions get kIdNo and plain messages kIdOk.
    void Answer(int id, int button) { answers_[id].push_back(button); }
    // Every question with this id is answered with `button`.
    void AlwaysAnswer(int id, int button) { always_[id] = button; }

    const std::vector<ShownMessage>& Shown() const { return shown_; }
    // The ids of the messages shown, in order.
    std::vector<int> Ids() const;
    int Count(int id) const;
    void Reset() { shown_.clear(); }

private:
    std::map<int, std::deque<int>> answers_;
    std::map<int, int> always_;
    std::vector<ShownMessage> shown_;
};
