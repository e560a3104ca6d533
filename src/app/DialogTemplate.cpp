#include "DialogTemplate.h"

#include "Resources.h"

#include <charconv>
#include <utility>

namespace {

std::vector<std::string> Split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t p = s.find(sep, start);
        parts.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos)
            return parts;
        start = p + 1;
    }
}

bool ToInt(const std::string& s, int& value)
{
    if (s.empty())
        return false;
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// A caption cell: empty, a string id, or a literal in double quotes.
bool ParseCaption(const std::string& cell, int& id, std::string& text)
{
    id = 0;
    text.clear();
    if (cell.empty())
        return true;
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') {
        text = cell.substr(1, cell.size() - 2);
        return true;
    }
    return ToInt(cell, id) && id > 0;
}

bool ParseKind(const std::string& word, ControlKind& kind)
{
    static const std::pair<const char*, ControlKind> kKinds[] = {
        {"button", ControlKind::Button},     {"group", ControlKind::Group},
        {"label", ControlKind::Label},       {"field", ControlKind::Field},
        {"picture", ControlKind::Picture},   {"combo", ControlKind::Combo},
        {"list", ControlKind::List},         {"check", ControlKind::Check},
        {"radio", ControlKind::Radio},       {"progress", ControlKind::Progress},
        {"trackbar", ControlKind::TrackBar},
    };
    for (const auto& [name, k] : kKinds) {
        if (word == name) {
            kind = k;
            return true;
        }
    }
    return false;
}

// Comma-separated words from `names` turned into flag bits; "-" is none.
template <std::size_t N>
bool ParseWords(const std::string& cell, const std::pair<const char*, unsigned> (&names)[N], unsigned& bits)
{
    bits = 0;
    if (cell == "-" || cell.empty())
        return true;
    for (const std::string& word : Split(cell, ',')) {
        bool known = false;
        for (const auto& [name, bit] : names) {
            if (word == name) {
                bits |= bit;
                known = true;
            }
        }
        if (!known)
            return false;
    }
    return true;
}

const std::pair<const char*, unsigned> kStates[] = {
    {"disabled", kStateDisabled}, {"hidden", kStateHidden},       {"sunken", kStateSunken},
    {"centre", kStateCentre},     {"right", kStateRight},         {"groupstart", kStateGroupStart},
    {"smooth", kStateSmooth},     {"border", kStateBorder},       {"alignleft", kStateAlignLeft},
    {"black", kStateBlack},       {"noticks", kStateNoTicks},
};

const std::pair<const char*, unsigned> kStyles[] = {
    {"resizable", kDialogResizable},
    {"minmax", kDialogMinMax},
    {"taskbar", kDialogTaskbar},
};

bool ParseControl(const std::vector<std::string>& c, CDialogControl& control)
{
    if (c.size() < 9 || c.size() > 10)
        return false;
    int resize = 0;
    if (!ToInt(c[0], control.id) || !ParseKind(c[1], control.kind)
        || !ParseCaption(c[2], control.captionId, control.captionText) || !ToInt(c[3], control.x)
        || !ToInt(c[4], control.y) || !ToInt(c[5], control.width) || !ToInt(c[6], control.height)
        || !ParseWords(c[7], kStates, control.state) || !ToInt(c[8], resize) || resize < 0 || resize > 15
        || control.width < 0 || control.height < 0)
        return false;
    control.resize = static_cast<unsigned>(resize);
    if (c.size() == 10 && !c[9].empty())
        control.items = Split(c[9], '|');
    return true;
}

} // namespace

void CDialogTemplate::Clear() { *this = CDialogTemplate(); }

bool CDialogTemplate::Parse(const std::string& text)
{
    Clear();
    bool haveDialog = false;
    for (std::string line : Split(text, '\n')) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> cells = Split(line, '\t');
        if (cells[0] == "dialog") {
            int captionId = 0;
            if (haveDialog || cells.size() != 8 || !ToInt(cells[1], id_)
                || !ParseCaption(cells[2], captionId, caption_) || captionId != 0
                || !ToInt(cells[3], width_) || !ToInt(cells[4], height_) || cells[5].empty()
                || !ToInt(cells[6], fontPoints_) || !ParseWords(cells[7], kStyles, style_)
                || width_ <= 0 || height_ <= 0 || fontPoints_ <= 0) {
                Clear();
                return false;
            }
            fontFace_ = cells[5];
            haveDialog = true;
            continue;
        }
        CDialogControl control;
        if (!ParseControl(cells, control) || Find(control.id) != nullptr) {
            Clear();
            return false;
        }
        controls_.push_back(std::move(control));
    }
    if (!haveDialog) {
        Clear();
        return false;
    }
    return true;
}

bool CDialogTemplate::Load(int id)
{
    ResourceBlock block = FindResourceBlock(id);
    if (block.data == nullptr || !Parse(std::string(reinterpret_cast<const char*>(block.data), block.size)))
        return false;
    if (id_ != id) {
        Clear();
        return false;
    }
    return true;
}

const CDialogControl* CDialogTemplate::Find(int id) const
{
    for (const CDialogControl& c : controls_) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}
