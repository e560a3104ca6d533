// The interaction of a drop of several files: questions (a conversion
// offer, replacing a slot's clip) and warnings (a file without sound) go to
// the user as usual; the errors and notes of each file ("Write completed.",
// why it was refused) are not shown one message box each, since the flows'
// results say why and the drop sums them up at the end.
#pragma once
#include "Interaction.h"

class CQuietInteraction : public IInteraction {
public:
    explicit CQuietInteraction(IInteraction& user) : user_(user) {}

    int Show(int id, unsigned flags, const std::string& text) override;
    // A question with a check box is always asked.
    int ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& check) override
    {
        return user_.ShowChecked(id, flags, text, check);
    }

private:
    IInteraction& user_;
};
