// The interaction the session's card reports through: the card shows its
// transfer errors and asks its questions (deleting a clip or a playlist)
// through one interaction set once, and this one passes them on to the
// interaction of the flow that runs now, or to the session's own between
// flows. A flow names its interaction with CFlowScope.
#pragma once
#include "Interaction.h"

class CFlowInteraction : public IInteraction {
public:
    explicit CFlowInteraction(IInteraction& idle) : target_(&idle) {}

    int Show(int id, unsigned flags, const std::string& text) override { return target_->Show(id, flags, text); }
    int ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& check) override
    {
        return target_->ShowChecked(id, flags, text, check);
    }

    IInteraction& Target() const { return *target_; }

private:
    friend class CFlowScope;
    IInteraction* target_;
};

// For its scope, the card's messages go to `ui`, the running flow's; a
// nested flow names its own and the outer one's comes back after it.
class CFlowScope {
public:
    CFlowScope(CFlowInteraction& flow, IInteraction& ui) : flow_(flow), before_(flow.target_) { flow_.target_ = &ui; }
    ~CFlowScope() { flow_.target_ = before_; }
    CFlowScope(const CFlowScope&) = delete;
    CFlowScope& operator=(const CFlowScope&) = delete;

private:
    CFlowInteraction& flow_;
    IInteraction* before_;
};
