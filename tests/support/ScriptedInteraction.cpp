#include "ScriptedInteraction.h"

int CScriptedInteraction::Show(int id, unsigned flags, const std::string& text)
{
    shown_.push_back(ShownMessage{id, flags, text, {}});
    if (whenShown)
        whenShown(shown_.back());
    auto q = answers_.find(id);
    if (q != answers_.end() && !q->second.empty()) {
        int a = q->second.front();
        q->second.pop_front();
        return a;
    }
    auto always = always_.find(id);
    if (always != always_.end())
        return always->second;
    if ((flags & 0xF) == kMbYesNo)
        return kIdNo;
    if ((flags & 0xF) == kMbOkCancel)
        return kIdCancel;
    return kIdOk;
}

int CScriptedInteraction::ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& check)
{
    const int button = Show(id, flags, text);
    shown_.back().check = check.label;
    auto tick = ticks_.find(id);
    if (tick != ticks_.end())
        check.checked = tick->second;
    return button;
}

int CScriptedInteraction::Count(int id) const
{
    int n = 0;
    for (const ShownMessage& m : shown_)
        n += m.id == id ? 1 : 0;
    return n;
}

std::vector<int> CScriptedInteraction::Ids() const
{
    std::vector<int> ids;
    for (const ShownMessage& m : shown_)
        ids.push_back(m.id);
    return ids;
}
