#include "CardImageFlow.h"

#include "CCardSession.h"
#include "CDisk.h"
#include "CardImage.h"
#include "CardListFlow.h"
#include "DriveTable.h"
#include "Interaction.h"
#include "Log.h"
#include "Settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const char kSection[] = "Cards";

std::string ImageKey(int i) { return "Image" + std::to_string(i); }

// The key that names `path`, else the first free one; 0 when all are taken.
int KeyFor(const std::string& path, bool& named)
{
    named = false;
    int free = 0;
    for (int i = 1; i <= kMaxDrives; ++i) {
        const std::string value = GetProfileString(kSection, ImageKey(i), "");
        if (value == path) {
            named = true;
            return i;
        }
        if (value.empty() && free == 0)
            free = i;
    }
    return free;
}

bool IsImageFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= SmallestCardImage();
}

} // namespace

int AddCardImage(CCardSession& session, IInteraction& ui, const std::string& path)
{
    if (session.IsBusy() || path.empty())
        return kImageNotChosen;
    if (!IsImageFile(path)) {
        ShowMessage(ui, kIdsImageNotCard, kMsgError, path.c_str());
        return kImageNotChosen;
    }
    bool named = false;
    const int key = KeyFor(path, named);
    // Readers count against the 15 places of the list too.
    const std::size_t listed = session.Cards().Cards().size();
    if (key == 0 || (!named && listed >= static_cast<std::size_t>(kMaxDrives))) {
        ShowMessage(ui, kIdsTooManyCards, kMsgError);
        return kImageNotChosen;
    }
    if (!named && !WriteProfileString(kSection, ImageKey(key), path)) {
        ShowMessage(ui, kIdsCliCannotCreate, kMsgError, SettingsPath().c_str(), std::strerror(errno));
        return kImageNotChosen;
    }
    LogMessage(("Card image chosen: " + path).c_str());
    ListCards(session, ui, true);
    const auto& cards = session.Cards().Cards();
    for (std::size_t i = 0; i < cards.size(); ++i) {
        if (cards[i].entry.path == path) {
            if (session.Cards().ChosenIndex() != static_cast<int>(i))
                ChooseCard(session, ui, static_cast<int>(i));
            return kImageChosen;
        }
    }
    return kImageNotChosen;
}

int CreateCardImage(CCardSession& session, IInteraction& ui, const std::string& path, long long bytes)
{
    if (session.IsBusy() || path.empty())
        return kImageNotChosen;
    int error = 0;
    const int created = CreateCardImageFile(path, bytes, error);
    if (created == kCardImageExists) {
        ShowMessage(ui, kIdsCliFileExists, kMsgError, path.c_str());
        return kImageNotChosen;
    }
    if (created != kCardImageCreated) {
        ShowMessage(ui, kIdsCliCannotCreate, kMsgError, path.c_str(),
                    std::strerror(error != 0 ? error : EINVAL));
        return kImageNotChosen;
    }
    // Empty tables, written and flushed before the image is offered: a new
    // image is a formatted card.
    bool formatted = false;
    bool shown = false;
    {
        CDisk disk(session.Environment());
        disk.SetInteraction(&ui);
        if (disk.OpenPath(path) == kOpenOk) {
            disk.Format();
            formatted = disk.WriteFAT(kTableFormat);
        }
        shown = disk.ErrorShown();
    }
    if (!formatted) {
        ::unlink(path.c_str());
        if (!shown)
            ShowMessage(ui, kIdsCliCannotCreate, kMsgError, path.c_str(), std::strerror(EIO));
        return kImageNotChosen;
    }
    return AddCardImage(session, ui, path);
}
