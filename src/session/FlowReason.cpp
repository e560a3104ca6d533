#include "FlowReason.h"

namespace {

constexpr unsigned kIconMask = 0xF0;

bool IsError(unsigned flags) { return (flags & kIconMask) == kMbIconError; }

} // namespace

void FlowReason::Note(int id, unsigned messageFlags, const std::string& messageText)
{
    if (id == 0 || (Known() && IsError(flags)))
        return;
    if (IsError(messageFlags) || (!Known() && id == kIdsOperationAborted)) {
        textId = id;
        flags = messageFlags;
        text = messageText;
    }
}

void FlowReason::Note(const ResultMessage& message, const std::string& path, const std::string& source)
{
    if (message.Says())
        Note(message.textId, message.flags, ResultText(message, path, source));
}

void FlowReason::Note(const FlowReason& other) { Note(other.textId, other.flags, other.text); }
