// The card tests: probe (a quick check for a fake capacity) and scan (every
// free cluster written and the whole card read back, speed and verdict).
#include "CDisk.h"
#include "CardProbe.h"
#include "CardScan.h"
#include "CardTestReport.h"
#include "CliCommands.h"
#include "CliExitStatus.h"
#include "CliSession.h"
#include "DvFrame.h"
#include "FormatFlow.h"
#include "Interaction.h"
#include "JsonWriter.h"
#include "Texts.h"

#include <cstdio>
#include <string>

namespace {

// The series of --json: enough points for a plot across the card.
constexpr std::size_t kSeriesPoints = 200;

const char* ProbeOutcomeName(int outcome)
{
    switch (outcome) {
    case kProbeGenuine: return "genuine";
    case kProbeFake: return "fake";
    case kProbeBadArea: return "bad_area";
    case kProbeStopped: return "stopped";
    case kProbeNoRoom: return "no_room";
    default: return "failed";
    }
}

const char* ScanOutcomeName(int outcome)
{
    switch (outcome) {
    case kScanDone: return "done";
    case kScanStopped: return "stopped";
    case kScanNoRoom: return "no_room";
    default: return "failed";
    }
}

void JsonRanges(CJsonWriter& j, const char* key, const std::vector<ClusterRange>& ranges)
{
    j.Key(key).BeginArray();
    for (const ClusterRange& r : ranges)
        j.BeginObject().Key("first").Number(r.first).Key("count").Number(r.count).EndObject();
    j.EndArray();
}

void JsonProbe(CJsonWriter& j, const CardProbeReport& r)
{
    j.BeginObject();
    j.Key("outcome").String(ProbeOutcomeName(r.outcome));
    j.Key("reported_bytes").Number(static_cast<long long>(r.reportedBytes));
    j.Key("real_bytes").Number(static_cast<long long>(r.realBytes));
    j.Key("real_clusters").Number(r.realClusters);
    j.Key("wrapped").Bool(r.wrapped);
    j.Key("positions").Number(r.positions);
    j.Key("bad_positions").Number(r.badPositions);
    j.Key("bytes_written").Number(static_cast<long long>(r.bytesWritten));
    j.Key("clips_changed").Bool(r.clipsChanged);
    j.Key("clips_intact").Bool(r.clipsIntact);
    j.EndObject();
}

void JsonSpeed(CJsonWriter& j, const char* key, const SpeedFigures& f)
{
    j.Key(key).BeginObject();
    j.Key("min_mbps").Real(f.minimum, 1);
    j.Key("avg_mbps").Real(f.average, 1);
    j.Key("series").BeginArray();
    for (const SpeedSample& s : ThinSeries(f.series, kSeriesPoints))
        j.BeginObject().Key("cluster").Number(s.firstCluster).Key("mbps").Real(s.mbPerSecond, 1).EndObject();
    j.EndArray();
    j.EndObject();
}

// What the probe found, one message each.
void ShowProbeFindings(IInteraction& ui, const CardProbeReport& r)
{
    for (const ReportLine& line : ProbeFindings(r))
        ui.Show(line.textId, line.flags, line.text);
}

void PrintScanText(CCliSession& session, const CardScanReport& r)
{
    ShowProbeFindings(session.Ui(), r.probe);
    for (const std::string& line : ScanFigureLines(r))
        std::printf("%s\n", line.c_str());
    if (r.outcome != kScanDone)
        return;
    std::printf("%s\n", ScanVerdict(r).c_str());
    for (const std::string& reason : ScanUnfitReasons(r))
        std::printf("  - %s\n", reason.c_str());
}

void PrintScanJson(const std::string& card, const CardScanReport& r)
{
    CJsonWriter j;
    j.BeginObject();
    j.Key("path").String(card);
    j.Key("outcome").String(ScanOutcomeName(r.outcome));
    j.Key("fit").Bool(r.outcome == kScanDone && r.Fit());
    j.Key("unfit").BeginArray();
    if (r.unfit & kUnfitFake)
        j.String("fake");
    if (r.unfit & kUnfitUnreadable)
        j.String("unreadable");
    if (r.unfit & kUnfitChanged)
        j.String("changed");
    if (r.unfit & kUnfitSlow)
        j.String("slow");
    j.EndArray();
    j.Key("player_mbps").Real(kPlayerMBps, 1);
    j.Key("reported_bytes").Number(static_cast<long long>(r.reportedBytes));
    j.Key("real_bytes").Number(static_cast<long long>(r.realBytes));
    j.Key("real_clusters").Number(r.realClusters);
    j.Key("tested_clusters").Number(r.testedClusters);
    j.Key("written_clusters").Number(r.writtenClusters);
    j.Key("clip_clusters").Number(r.clipClusters);
    j.Key("free_clusters_overwritten").Bool(r.writtenClusters > 0);
    JsonRanges(j, "unreadable", r.unreadable);
    JsonRanges(j, "changed", r.changed);
    JsonRanges(j, "not_frames", r.notFrames);
    JsonRanges(j, "untested", r.untested);
    JsonSpeed(j, "write", r.write);
    JsonSpeed(j, "read", r.read);
    j.Key("probe");
    JsonProbe(j, r.probe);
    j.EndObject();
    std::printf("%s\n", j.Text().c_str());
}

} // namespace

int CmdProbe(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 1)
        return kExitUsage;
    CDisk disk(session.Env());
    if (!session.OpenCard(args[0], disk, false, kCardWrite) || disk.ErrorShown())
        return kExitFailed;
    // Ctrl-C outside the progress too becomes Abort: the probed clusters are
    // always put back.
    CInterruptScope interrupts;
    CardProbeReport report;
    const int outcome = ProbeCard(disk, session.Progress(), report);
    if (outcome == kProbeStopped)
        ShowMessage(session.Ui(), kIdsOperationAborted, kMsgInfo);
    if (outcome == kProbeGenuine || outcome == kProbeFake)
        KeepTestFinding(disk, report.realBytes);
    if (session.Options().json) {
        CJsonWriter j;
        j.BeginObject().Key("path").String(args[0]).Key("total_clusters").Number(disk.TotalClusters());
        j.Key("probe");
        JsonProbe(j, report);
        j.EndObject();
        std::printf("%s\n", j.Text().c_str());
    } else {
        ShowProbeFindings(session.Ui(), report);
    }
    return outcome == kProbeGenuine ? kExitDone : kExitFailed;
}

int CmdScan(CCliSession& session)
{
    const auto& args = session.Options().args;
    if (args.size() != 1)
        return kExitUsage;
    CDisk disk(session.Env());
    if (!session.OpenCard(args[0], disk, false, kCardWrite) || disk.ErrorShown())
        return kExitFailed;
    const bool all = session.Options().all;
    if (!disk.IsLoaded() && !all) {
        session.Error(kIdsCliScanNotFormatted);
        return kExitFailed;
    }
    // With --json standard output holds the report alone: the questions
    // and their answers go to standard error.
    CTerminalInteraction jsonUi(session.Options().yes, stdin, stderr, stderr);
    IInteraction& ask = session.Options().json ? static_cast<IInteraction&>(jsonUi) : session.Ui();
    if (ShowMessage(ask, kIdsAskScan, kMsgYesNoDefNo) != kIdYes)
        return kExitFailed;
    // The whole card: formatted first, so that every cluster is free.
    if (all && FormatCard(disk, ask, session.CardName(args[0])) != kFormatDone)
        return kExitFailed;
    CInterruptScope interrupts;
    CardScanReport report;
    const int outcome = ScanCard(disk, IsPalDvFrame, session.Progress(), report);
    if (outcome == kScanStopped)
        ShowMessage(session.Ui(), kIdsOperationAborted, kMsgInfo);
    if (outcome == kScanDone)
        KeepTestFinding(disk, report.realBytes);
    if (session.Options().json)
        PrintScanJson(args[0], report);
    else
        PrintScanText(session, report);
    if (report.writtenClusters > 0 && !session.Options().json)
        ShowMessage(session.Ui(), kIdsScanFreeOverwritten, kMsgInfo);
    return outcome == kScanDone && report.Fit() ? kExitDone : kExitFailed;
}
