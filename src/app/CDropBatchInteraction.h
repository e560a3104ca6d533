// The messages of a drop of several files onto the clip list. Questions
// (the conversion offer, deleting a slot's clip) and warnings (a file
// without sound) go to the user as usual; the errors and notes of each file
// (why it was refused, "Write completed.", "Operation aborted.") are kept
// instead of one message box each, and the window sums them up at the end.
#pragma once
#include "Interaction.h"

#include <string>
#include <vector>

class CDropBatchInteraction : public IInteraction {
public:
    explicit CDropBatchInteraction(IInteraction& user) : user_(user) {}

    int Show(int id, unsigned flags, const std::string& text) override;

    // The next file begins: what was kept for the one before is dropped.
    void BeginFile() { kept_.clear(); }
    // Why the current file was not written, on one line and without the
    // path `path` the text may name: its first error, or "Operation
    // aborted." when that was said. Empty when neither was.
    std::string Reason(const std::string& path) const;

private:
    struct Kept {
        int id;
        unsigned flags;
        std::string text;
    };
    IInteraction& user_;
    std::vector<Kept> kept_;
};
