// Why a flow did not do what it was asked: the first error it told the
// user, else "Operation aborted." when it said that. A flow's result
// carries one, so that a caller (the drop of several files) can sum up
// without listening to the messages.
#pragma once
#include "ResultMessages.h"

#include <string>

struct FlowReason {
    int textId = 0;
    unsigned flags = 0;
    std::string text; // filled in

    bool Known() const { return textId != 0; }
    // Takes `text` of message `id` when it is the first error, or the
    // first "Operation aborted." while no error is known.
    void Note(int id, unsigned flags, const std::string& text);
    void Note(const ResultMessage& message, const std::string& path, const std::string& source = {});
    void Note(const FlowReason& other);
};
