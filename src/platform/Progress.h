// The progress interface of long card and file operations: a range, the
// position within it, a pump that keeps the front end alive and returns the
// abort flag, and an end. The window moves its bar, the command line draws a
// terminal bar and turns Ctrl-C into Abort, tests abort at a chosen position.
#pragma once
#include <string>

class IProgress {
public:
    virtual ~IProgress() = default;
    // Shows the progress display with the range 0..range, without a
    // caption, and clears the abort flag.
    virtual void Begin(int range) = 0;
    virtual void Set(int position) = 0;
    // Names the phase that runs from now on (a second pass over the same
    // range) by the string id of its caption; 0 removes the caption. The
    // range and the abort flag stay.
    virtual void SetCaption(int /*textId*/) {}
    // The same with the caption's text itself (already loaded and filled
    // in: "Writing clip 05"). A `counted` caption carries the phase's own
    // percentage and time left and is rewritten as they change ("Converting
    // phone.mp4: 38 %, 0:03 left"); one counted caption following another is
    // the same phase, and a front end that shows figures of its own leaves
    // them out beside it.
    virtual void SetCaptionText(const std::string& /*text*/, bool /*counted*/) {}
    // Lets the front end handle pending events; returns the abort flag.
    virtual bool Pump() = 0;
    // Sets the abort flag (used by operations when a transfer fails).
    virtual void SetAbort() = 0;
    virtual bool Aborted() const = 0;
    virtual void End() = 0;
};

// A progress that shows nothing and is never aborted from outside.
class CNullProgress : public IProgress {
public:
    void Begin(int) override { aborted_ = false; }
    void Set(int) override {}
    bool Pump() override { return aborted_; }
    void SetAbort() override { aborted_ = true; }
    bool Aborted() const override { return aborted_; }
    void End() override {}

private:
    bool aborted_ = false;
};
