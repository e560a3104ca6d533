// The whole-card commands: backup, restore and clone, the flows of
// CardBackup.h, CardRestore.h and CardClone.h on cards opened from the
// command line. With --json each target's progress and end are printed as
// one JSON object a line on standard output.
#include "CDisk.h"
#include "CardBackup.h"
#include "CardClone.h"
#include "CardRestore.h"
#include "ClipWriter.h"
#include "CliCommands.h"
#include "CliExitStatus.h"
#include "CliSession.h"
#include "DriveTable.h"
#include "Environment.h"
#include "JsonWriter.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const char* StateName(int state)
{
    switch (state) {
    case kTargetWhole: return "whole";
    case kTargetFailed: return "failed";
    case kTargetStopped: return "stopped";
    default: return "copying";
    }
}

// One line per target at each whole per cent and at its end.
class CJsonCopyView : public ICardCopyView {
public:
    void TargetProgress(int, const CopyTarget& target, long long done, long long total) override
    {
        Print(target, done, total);
    }
    void TargetEnded(int, const CopyTarget& target) override { Print(target, -1, -1); }

private:
    static void Print(const CopyTarget& target, long long done, long long total)
    {
        CJsonWriter j;
        j.BeginObject();
        j.Key("target").String(target.name);
        j.Key("state").String(StateName(target.state));
        if (done >= 0) {
            j.Key("done").Number(done);
            j.Key("total").Number(total);
        }
        j.Key("clips").Number(target.clipsRecorded);
        if (target.state == kTargetFailed)
            j.Key("message").String(target.failure);
        j.EndObject();
        std::printf("%s\n", j.Text().c_str());
        std::fflush(stdout);
    }
};

// The path CARD names: CARDn as the drive table has it, else CARD itself.
std::string CardPath(const CCliSession& session, const std::string& card)
{
    long long number = 0;
    if (card.size() > 4 && card.compare(0, 4, "CARD") == 0 && ParseNumber(card.substr(4), number)) {
        const std::vector<DriveEntry> drives = BuildDriveTable(session.Env().cardReaders());
        return number >= 1 && number <= static_cast<long long>(drives.size())
                   ? drives[static_cast<std::size_t>(number - 1)].path
                   : std::string();
    }
    return card;
}

bool Verify(const CCliSession& session) { return !session.Options().noVerify && VerifyAfterWriting(); }

// The questions and messages of a copy: with --json on standard error, so
// that standard output holds the JSON lines alone.
class CCopyUi {
public:
    explicit CCopyUi(CCliSession& session)
        : session_(session), toErr_(session.Options().yes, stdin, stderr, stderr)
    {
    }
    IInteraction& Ui() { return session_.Options().json ? static_cast<IInteraction&>(toErr_) : session_.Ui(); }

private:
    CCliSession& session_;
    CTerminalInteraction toErr_;
};

// Opens the card copied from, for reading alone. The copy reads its clips
// cluster by cluster, so a move that the card left pending is finished
// first, by an opening for writing (a write-protected card, whose move
// cannot be finished, has said so on opening).
bool OpenSource(CCliSession& session, const std::string& name, CDisk& source)
{
    if (!session.OpenCard(name, source, true, kCardRead))
        return false;
    return !source.MovePending() || source.ReopenForWriting() == kOpenOk;
}

// Opens SOURCE and every TARGET, then runs the restore onto the one target
// (`restore`) or the clone onto them all.
int Copy(CCliSession& session, const std::string& sourceName, const std::vector<std::string>& targetNames,
         bool restore)
{
    // Ctrl-C is Abort from here on, between the progress displays too.
    CInterruptScope interrupts;
    CDisk source(session.Env());
    if (!OpenSource(session, sourceName, source))
        return kExitFailed;
    std::vector<std::unique_ptr<CDisk>> disks;
    std::vector<CloneTarget> targets;
    for (const std::string& name : targetNames) {
        disks.push_back(std::make_unique<CDisk>(session.Env()));
        if (!session.OpenCard(name, *disks.back(), false, kCardWrite) || disks.back()->ErrorShown())
            return kExitFailed;
        targets.push_back(CloneTarget{name, CardPath(session, name), disks.back().get()});
    }
    CJsonCopyView json;
    ICardCopyView* view = session.Options().json ? &json : nullptr;
    CCopyUi ui(session);
    const std::string sourcePath = CardPath(session, sourceName);
    const int result =
        restore ? RestoreCard(source, sourcePath, *targets[0].disk, targets[0].name, targets[0].path, ui.Ui(),
                              session.Progress(), view, Verify(session))
                : CloneCard(source, sourcePath, targets, ui.Ui(), session.Progress(), view, Verify(session));
    return result == kCloneDone ? kExitDone : kExitFailed;
}

} // namespace

int CmdBackup(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2)
        return kExitUsage;
    CInterruptScope interrupts;
    CDisk source(session.Env());
    if (!OpenSource(session, args[0], source))
        return kExitFailed;
    CJsonCopyView json;
    ICardCopyView* view = session.Options().json ? &json : nullptr;
    CCopyUi ui(session);
    const int result = BackupCard(source, CardPath(session, args[0]), args[1], ui.Ui(), session.Progress(), view,
                                  Verify(session));
    return result == kBackupDone ? kExitDone : kExitFailed;
}

int CmdRestore(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 2)
        return kExitUsage;
    return Copy(session, args[0], {args[1]}, true);
}

int CmdClone(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() < 2)
        return kExitUsage;
    return Copy(session, args[0], std::vector<std::string>(args.begin() + 1, args.end()), false);
}
