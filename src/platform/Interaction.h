// The interaction interface: how the layers below the front ends show a
// message from the string table and get the user's answer. The window shows
// a message box, the command line prints and reads y/N, tests answer from a
// script and record what was asked.
#pragma once
#include "TextId.h"

#include <string>

// Button and icon flags (values as the message boxes of the original design).
enum MessageFlags : unsigned {
    kMbOk = 0x0,
    kMbOkCancel = 0x1,
    kMbYesNo = 0x4,
    kMbIconError = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconWarning = 0x30,
    kMbIconInformation = 0x40,
    kMbDefButton2 = 0x100,
};

// Button codes returned by Show.
enum MessageResult : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

// Common flag sets of the message table.
inline constexpr unsigned kMsgError = kMbOk | kMbIconError;
inline constexpr unsigned kMsgWarning = kMbOk | kMbIconWarning;
inline constexpr unsigned kMsgInfo = kMbOk | kMbIconInformation;
inline constexpr unsigned kMsgYesNoDefNo = kMbYesNo | kMbIconQuestion | kMbDefButton2;
inline constexpr unsigned kMsgYesNo = kMbYesNo | kMbIconQuestion;
inline constexpr unsigned kMsgOkCancelWarning = kMbOkCancel | kMbIconWarning;

// A check box under a question's text: its label, and whether it is ticked
// (read when the question is shown, set to the user's choice after it).
struct MessageCheck {
    std::string label;
    bool checked = false;
};

class IInteraction {
public:
    virtual ~IInteraction() = default;
    // Shows `text` (already loaded and filled in) for string `id` with the
    // given flags; returns the button pressed (MessageResult).
    virtual int Show(int id, unsigned flags, const std::string& text) = 0;
    // Shows it with the check box `check` under the text. A front end
    // without check boxes shows the text alone and leaves `check` as it is.
    virtual int ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& /*check*/)
    {
        return Show(id, flags, text);
    }
};

// Loads string `id` in the current language, fills its printf-style
// placeholders with the arguments and shows it through `ui`.
int ShowMessage(IInteraction& ui, int id, unsigned flags, ...);

// For the texts with a "%1" placeholder (kIdsCannotOpenFile,
// kIdsCannotReadFile): inserts `path`.
int ShowMessagePath(IInteraction& ui, int id, unsigned flags, const std::string& path);
