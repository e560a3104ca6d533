// The recover command: what a format, a delete or a damaged table lost and
// can be brought back (earlier tables of the card's history, runs of frames
// outside the table's clips), and bringing it back.
#include "CDisk.h"
#include "CliCommands.h"
#include "CliExitStatus.h"
#include "CliSession.h"
#include "DvFrame.h"
#include "JsonWriter.h"
#include "RecoverFlow.h"
#include "TableOperation.h"
#include "Texts.h"

#include <cstdio>

namespace {

// The numbers of LIST ("1,3-5"), each from 1 to `count`: kExitDone, else
// kExitUsage for a list that is not one, kExitFailed for a number that is
// not in the list of runs (the message printed).
int ParseRunList(CCliSession& session, const std::string& list, int count, std::vector<bool>& chosen)
{
    chosen.assign(static_cast<std::size_t>(count), list.empty());
    std::size_t at = 0;
    while (at < list.size()) {
        std::size_t end = list.find(',', at);
        if (end == std::string::npos)
            end = list.size();
        const std::string item = list.substr(at, end - at);
        const std::size_t dash = item.find('-');
        long long from = 0;
        long long to = 0;
        if (!ParseNumber(item.substr(0, dash), from) ||
            !ParseNumber(dash == std::string::npos ? item : item.substr(dash + 1), to) || from > to) {
            session.Error(kIdsCliOutOfRange, "LIST", 1, count);
            return kExitUsage;
        }
        for (long long n = from; n <= to; ++n) {
            if (n < 1 || n > count) {
                session.Error(kIdsCliRecoverNoNumber, static_cast<int>(n));
                return kExitFailed;
            }
            chosen[static_cast<std::size_t>(n - 1)] = true;
        }
        at = end + 1;
    }
    return kExitDone;
}

void PrintJson(const std::vector<EarlierTable>& tables, const std::vector<FoundRun>& runs)
{
    CJsonWriter j;
    j.BeginObject();
    j.Key("tables").BeginArray();
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const EarlierTable& t = tables[i];
        j.BeginObject();
        j.Key("number").Number(static_cast<long long>(i + 1));
        j.Key("operation").String(LoadText(TableOperationText(t.kept.operation)));
        j.Key("time").Number(t.kept.time);
        j.Key("clips").Number(t.ClipCount());
        j.Key("playlists").Number(t.PlaylistCount());
        j.Key("whole").Bool(t.Whole());
        j.Key("not_whole_slots").BeginArray();
        for (int s : t.brokenSlots)
            j.Number(s + 1);
        j.EndArray();
        j.EndObject();
    }
    j.EndArray();
    j.Key("runs").BeginArray();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const FoundRun& r = runs[i];
        j.BeginObject();
        j.Key("number").Number(static_cast<long long>(i + 1));
        j.Key("first_cluster").Number(r.firstCluster);
        j.Key("frames").Number(r.frames);
        j.Key("duration").String(FormatFrameTime(r.frames));
        j.Key("recorded");
        if (r.head.hasRecorded)
            j.String(RecordedText(r.head));
        else
            j.Null();
        j.Key("timecode");
        if (r.head.hasTimecode)
            j.String(TimecodeText(r.head));
        else
            j.Null();
        j.Key("wide").Bool(r.head.wide);
        j.Key("long_enough").Bool(r.LongEnough());
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
    std::printf("%s\n", j.Text().c_str());
}

void PrintText(const std::vector<EarlierTable>& tables, const std::vector<FoundRun>& runs)
{
    if (tables.empty()) {
        std::printf("%s\n", LoadText(kIdsCliRecoverNoTables).c_str());
    } else {
        std::printf("%s\n", LoadText(kIdsCliRecoverTables).c_str());
        for (std::size_t i = 0; i < tables.size(); ++i) {
            std::printf("%3zu  %s\n", i + 1, EarlierTableText(tables[i]).c_str());
            if (!tables[i].Whole())
                std::printf("     %s\n", FormatText(kIdsRecoverNotWhole, SlotList(tables[i].brokenSlots).c_str()).c_str());
        }
    }
    std::printf("\n");
    if (runs.empty()) {
        std::printf("%s\n", LoadText(kIdsCliRecoverNoRuns).c_str());
        return;
    }
    std::printf("%s\n", LoadText(kIdsCliRecoverRuns).c_str());
    const std::string none = LoadText(kIdsCliRecoverNoDate);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const FoundRun& r = runs[i];
        const std::string recorded = r.head.hasRecorded ? RecordedText(r.head) : none;
        const std::string timecode = r.head.hasTimecode ? TimecodeText(r.head) : "-";
        std::printf("%s\n", FormatText(kIdsCliRecoverRunLine, static_cast<int>(i + 1), static_cast<int>(r.firstCluster),
                                       r.frames, FormatFrameTime(r.frames).c_str(), recorded.c_str(), timecode.c_str(),
                                       r.LongEnough() ? "" : LoadText(kIdsCliRecoverTooShort).c_str())
                                .c_str());
    }
}

int StatusOf(int result)
{
    return result == kRecoverDone ? kExitDone : kExitFailed;
}

} // namespace

int CmdRecover(CCliSession& session)
{
    const CliOptions& o = session.Options();
    if (o.args.size() != 1 || (o.table >= 0 && o.runs) || (o.partial && o.table < 0) || (o.json && (o.table >= 0 || o.runs)))
        return kExitUsage;
    CDisk disk(session.Env());
    // Listing what can be recovered only reads; putting a table back or
    // recording runs writes.
    if (!session.OpenCard(o.args[0], disk, false, o.table >= 0 || o.runs ? kCardWrite : kCardRead))
        return kExitFailed;

    if (o.table >= 0) {
        const std::vector<EarlierTable> tables = EarlierTables(disk);
        if (o.table < 1 || o.table > static_cast<int>(tables.size())) {
            session.Error(kIdsCliRecoverNoNumber, o.table);
            return kExitFailed;
        }
        const int result = PutBackEarlierTable(disk, session.Ui(), tables[static_cast<std::size_t>(o.table - 1)], o.partial);
        if (result == kRecoverRefused)
            session.Error(kIdsCliRecoverPartialHint);
        return StatusOf(result);
    }

    std::vector<FoundRun> runs;
    if (!FindFrameRuns(disk, runs, o.json ? nullptr : &session.Progress()))
        return kExitFailed;
    if (o.runs) {
        std::vector<FoundRun> chosen;
        std::vector<bool> pick;
        if (const int status = ParseRunList(session, o.runList, static_cast<int>(runs.size()), pick); status != kExitDone)
            return status;
        // Without a list, the runs long enough for a clip.
        for (std::size_t i = 0; i < runs.size(); ++i) {
            if (pick[i] && (!o.runList.empty() || runs[i].LongEnough()))
                chosen.push_back(runs[i]);
        }
        if (chosen.empty()) {
            session.Error(kIdsCliRecoverNoRuns);
            return kExitFailed;
        }
        return StatusOf(RecordFoundRuns(disk, session.Ui(), chosen));
    }

    const std::vector<EarlierTable> tables = EarlierTables(disk);
    if (o.json)
        PrintJson(tables, runs);
    else
        PrintText(tables, runs);
    return kExitDone;
}
