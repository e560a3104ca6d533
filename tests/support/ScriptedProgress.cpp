#include "ScriptedProgress.h"

#include "Texts.h"

void CScriptedProgress::Begin(int range)
{
    ranges.push_back(range);
    aborted_ = false;
    running = true;
    lastPosition = 0;
    caption = 0;
    captionText.clear();
    captionCounted = false;
}

void CScriptedProgress::SetCaption(int textId)
{
    captions.push_back(textId);
    caption = textId;
    captionText = textId != 0 ? LoadText(textId) : std::string();
    captionCounted = false;
    captionTexts.push_back(captionText);
}

void CScriptedProgress::SetCaptionText(const std::string& text, bool counted)
{
    caption = 0;
    captionText = text;
    captionCounted = counted;
    captionTexts.push_back(text);
}

void CScriptedProgress::Set(int position)
{
    lastPosition = position;
    if (abortAt >= 0 && position == abortAt &&
        (abortAtBegin < 0 || static_cast<int>(ranges.size()) == abortAtBegin))
        aborted_ = true;
}

bool CScriptedProgress::Pump()
{
    ++pumps;
    if (abortAfterPumps >= 0 && pumps >= abortAfterPumps)
        aborted_ = true;
    return aborted_;
}
