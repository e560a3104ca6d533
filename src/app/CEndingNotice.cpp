#include "CEndingNotice.h"

#include "DesktopNotifier.h"
#include "Log.h"
#include "Texts.h"

#include <utility>

CEndingNotice::CEndingNotice(IInteraction& inner, std::function<bool()> userAway, IDesktopNotifier* notifier)
    : inner_(inner), userAway_(std::move(userAway)), notifier_(notifier)
{
}

unsigned CEndingNotice::OperationRunning(bool running)
{
    if (running) {
        armed_ = false;
        return ends_;
    }
    ++ends_;
    armed_ = notifier_ != nullptr && userAway_ && userAway_();
    return ends_;
}

void CEndingNotice::Notice(unsigned flags, const std::string& text)
{
    if (!armed_)
        return;
    armed_ = false;
    if ((flags & (kMbYesNo | kMbOkCancel)) != 0)
        return;
    std::string why;
    if (!notifier_->Notify(AppTitle(), text, why))
        LogMessage("desktop notification not shown: %s", why.c_str());
}

int CEndingNotice::Show(int id, unsigned flags, const std::string& text)
{
    Notice(flags, text);
    return inner_.Show(id, flags, text);
}

int CEndingNotice::ShowChecked(int id, unsigned flags, const std::string& text, MessageCheck& check)
{
    Notice(flags, text);
    return inner_.ShowChecked(id, flags, text, check);
}
