#include "CDropBatchInteraction.h"

namespace {

constexpr unsigned kButtonMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

// `text` on one line: `path` left out, line breaks and runs of blanks made
// one blank.
std::string OneLine(std::string text, const std::string& path)
{
    if (!path.empty()) {
        for (std::size_t at = text.find(path); at != std::string::npos; at = text.find(path, at))
            text.erase(at, path.size());
    }
    std::string line;
    for (char c : text) {
        const bool blank = c == '\n' || c == '\r' || c == ' ' || c == '\t';
        if (!blank)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

} // namespace

int CDropBatchInteraction::Show(int id, unsigned flags, const std::string& text)
{
    const bool question = (flags & kButtonMask) != kMbOk;
    if (question || (flags & kIconMask) == kMbIconWarning)
        return user_.Show(id, flags, text);
    kept_.push_back({id, flags, text});
    return kIdOk;
}

std::string CDropBatchInteraction::Reason(const std::string& path) const
{
    for (const Kept& k : kept_) {
        if ((k.flags & kIconMask) == kMbIconError)
            return OneLine(k.text, path);
    }
    for (const Kept& k : kept_) {
        if (k.id == kIdsOperationAborted)
            return OneLine(k.text, path);
    }
    return {};
}
