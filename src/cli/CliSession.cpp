// Card opening, argument checks and texts for the commands.
#include "CliSession.h"

#include "BlockDeviceInfo.h"
#include "CDisk.h"
#include "CardDiscovery.h"
#include "CardOpening.h"
#include "CardTexts.h"
#include "CliExitStatus.h"
#include "DriveTable.h"
#include "Environment.h"
#include "Interaction.h"
#include "Texts.h"

#include <cstdarg>
#include <cstdio>

CCliSession::CCliSession(const CliOptions& options, const CEnvironment& env)
    : options_(options), env_(env), ui_(options.yes)
{
}

void CCliSession::Say(int id, ...)
{
    va_list args;
    va_start(args, id);
    const std::string text = FormatTextV(id, args);
    va_end(args);
    std::printf("%s\n", text.c_str());
}

void CCliSession::Error(int id, ...)
{
    va_list args;
    va_start(args, id);
    const std::string text = FormatTextV(id, args);
    va_end(args);
    errorPrinted_ = true;
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", text.c_str());
}

bool CCliSession::Index(const std::string& text, const char* what, int max, int& index)
{
    long long value = 0;
    if (!ParseNumber(text, value) || value < 1 || value > max) {
        Error(kIdsCliOutOfRange, what, 1, max);
        return false;
    }
    index = static_cast<int>(value) - 1;
    return true;
}

std::string CCliSession::CardName(const std::string& card) const
{
    long long number = 0;
    if (card.size() > 4 && card.compare(0, 4, "CARD") == 0 && ParseNumber(card.substr(4), number)) {
        const std::vector<DriveEntry> drives = BuildDriveTable(env_.cardReaders());
        if (number >= 1 && number <= static_cast<long long>(drives.size()))
            return CardListName(drives[static_cast<std::size_t>(number - 1)], static_cast<int>(number - 1));
        return card;
    }
    return CardNameOfPath(card, env_);
}

bool CCliSession::OpenCard(const std::string& card, CDisk& disk, bool needLoaded, CardAccess access)
{
    disk.SetInteraction(&ui_);
    int result = kOpenNotCard;
    long long number = 0;
    if (card.size() > 4 && card.compare(0, 4, "CARD") == 0 && ParseNumber(card.substr(4), number)) {
        if (number < 1 || number > 15) {
            Error(kIdsCliNoSuchCard, static_cast<int>(number));
            return false;
        }
        result = disk.Open(static_cast<int>(number) - 1, access);
        if (result == kOpenNotCard && !disk.InUse()) {
            Error(kIdsCliNoSuchCard, static_cast<int>(number));
            return false;
        }
    } else {
        result = disk.OpenPath(card, access);
    }
    if (result == kOpenOk && access == kCardWrite && disk.WriteProtected()) {
        // Refused before anything is read or asked.
        Error(kIdsCardReadOnly);
        return false;
    }
    switch (FinishOpening(disk, result)) {
    case kCardLoaded:
        return true;
    case kCardInUse:
        // It has shown its message on opening.
        return false;
    case kCardDenied:
        Error(kIdsCliAccessDenied, card.c_str());
        return false;
    case kCardNotOpened:
        if (IsNonCardBlockDevice(card, env_.sysRoot))
            Error(kIdsCliNotCardReader, card.c_str());
        else
            Error(kIdsCliCannotOpenCard, card.c_str());
        return false;
    default:
        // A read failure has shown the access message already.
        if (needLoaded && !disk.ErrorShown())
            Error(kIdsCliNotFormatted);
        return !needLoaded;
    }
}

bool CCliSession::IsClipName(const std::string& slotText)
{
    return slotText.size() > 1 && slotText[0] == '@';
}

int CCliSession::ClipSlot(const std::string& slotText, const CDisk& disk, int& slot)
{
    if (!IsClipName(slotText))
        return Index(slotText, "SLOT", kSlotCount, slot) ? kExitDone : kExitUsage;
    const std::string name = slotText.substr(1);
    std::string slots;
    int found = -1;
    for (int s = 0; s < kSlotCount; ++s) {
        if (disk.Clips()[static_cast<std::size_t>(s)].frames == 0 || ClipName(disk, s) != name)
            continue;
        char number[8];
        std::snprintf(number, sizeof number, "%s%02d", slots.empty() ? "" : ", ", s + 1);
        slots += number;
        // A name that two clips share names neither: the wrong clip would
        // be read, deleted or played.
        found = found < 0 ? s : kSlotCount;
    }
    if (found < 0) {
        Error(kIdsCliNoClipNamed, name.c_str());
        return kExitFailed;
    }
    if (found == kSlotCount) {
        Error(kIdsCliNameShared, name.c_str(), slots.c_str());
        return kExitFailed;
    }
    slot = found;
    return kExitDone;
}

int CCliSession::OpenClipSlot(const std::string& card, const std::string& slotText, CDisk& disk, int& slot,
                              CardAccess access)
{
    // A number is checked before the card is opened, a name on the card.
    if (!IsClipName(slotText) && !Index(slotText, "SLOT", kSlotCount, slot))
        return kExitUsage;
    if (!OpenCard(card, disk, true, access))
        return kExitFailed;
    if (IsClipName(slotText)) {
        if (const int status = ClipSlot(slotText, disk, slot); status != kExitDone)
            return status;
    }
    if (disk.Clips()[static_cast<std::size_t>(slot)].frames == 0) {
        Error(kIdsCliSlotEmpty, slot + 1);
        return kExitFailed;
    }
    return kExitDone;
}

DvAspect CCliSession::Aspect() const
{
    return options_.aspect < 0 ? AspectSetting() : options_.aspect == 1 ? kDvAspect16x9 : kDvAspect4x3;
}
