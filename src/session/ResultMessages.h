// What each result of the conversions, the writer, the export and the
// loading checks says to the user: one text id and icon per result, the
// same for the window and the command line, and what fills the text's
// placeholder. A front end shows a message through ShowResult; the drop of
// several files writes the same text as one line of its summary.
#pragma once
#include "Interaction.h"

#include <string>

struct ClipCheck;

// What fills a result text's placeholder.
enum ResultArgument : int {
    kArgNone = 0,
    kArgPath = 1,   // "%1": the file the text names
    kArgSource = 2, // "%s": the source file
};

struct ResultMessage {
    int textId = 0; // 0: nothing to say
    unsigned flags = 0;
    int argument = kArgNone;
    bool Says() const { return textId != 0; }
};

// A conversion's result (MediaResult.h); the path is its output file, the
// source the file converted.
ResultMessage ConversionMessage(int mediaResult);
// A write's outcome (ClipWriter.h) as the writer itself shows it.
ResultMessage WriteMessage(int writeOutcome);
// An export's result (ClipExport.h).
ResultMessage ExportMessage(int exportResult);
// The loading checks' verdict (ClipChecks.h); the path is the file's.
ResultMessage LoadMessage(const ClipCheck& check);

// The message's text filled in: `path` for "%1", `source` for "%s".
std::string ResultText(const ResultMessage& message, const std::string& path, const std::string& source = {});
// Shows the message, when it says anything; returns the button pressed
// (kIdOk when nothing was shown).
int ShowResult(IInteraction& ui, const ResultMessage& message, const std::string& path,
               const std::string& source = {});
