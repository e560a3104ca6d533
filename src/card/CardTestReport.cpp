#include "CardTestReport.h"

#include "CDisk.h"
#include "Interaction.h"
#include "RealCapacity.h"
#include "Texts.h"

unsigned long long ReportMegabytes(std::uint64_t bytes) { return static_cast<unsigned long long>(bytes / 1048576u); }

std::vector<ReportLine> ProbeFindings(const CardProbeReport& r)
{
    std::vector<ReportLine> lines;
    if (r.outcome == kProbeGenuine)
        lines.push_back({kIdsProbeGenuine, kMsgInfo, FormatText(kIdsProbeGenuine, r.positions, ReportMegabytes(r.reportedBytes))});
    if (r.outcome == kProbeFake)
        lines.push_back({kIdsProbeFake, kMsgWarning,
                         FormatText(kIdsProbeFake, ReportMegabytes(r.reportedBytes), ReportMegabytes(r.realBytes),
                                    static_cast<int>(r.realClusters), static_cast<unsigned long long>(r.realBytes))});
    if (r.wrapped)
        lines.push_back({kIdsProbeWrapped, kMsgWarning, FormatText(kIdsProbeWrapped)});
    if (r.outcome == kProbeBadArea)
        lines.push_back({kIdsProbeBadArea, kMsgWarning, FormatText(kIdsProbeBadArea, r.badPositions, r.positions)});
    if (r.clipsChanged && r.clipsIntact)
        lines.push_back({kIdsProbeClipPutBack, kMsgWarning, FormatText(kIdsProbeClipPutBack)});
    if (!r.clipsIntact)
        lines.push_back({kIdsProbeClipLost, kMsgError, FormatText(kIdsProbeClipLost)});
    return lines;
}

std::string ClusterRangesText(const std::vector<ClusterRange>& ranges)
{
    std::string text;
    for (const ClusterRange& r : ranges) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(r.first);
        if (r.count > 1) {
            text += '-';
            text += std::to_string(r.End() - 1);
        }
    }
    return text;
}

std::string RealCapacityLine(std::uint64_t realBytes, std::uint64_t reportedBytes, std::uint32_t realClusters)
{
    return FormatText(kIdsCliRealCapacity, ReportMegabytes(realBytes), ReportMegabytes(reportedBytes),
                      static_cast<int>(realClusters));
}

std::vector<std::string> ScanFigureLines(const CardScanReport& r)
{
    std::vector<std::string> lines;
    lines.push_back(RealCapacityLine(r.realBytes, r.reportedBytes, r.realClusters));
    lines.push_back(FormatText(kIdsCliTested, static_cast<int>(r.testedClusters), static_cast<int>(r.writtenClusters),
                               static_cast<int>(r.clipClusters)));
    lines.push_back(FormatText(kIdsCliWriteSpeed, r.write.minimum, r.write.average));
    lines.push_back(FormatText(kIdsCliReadSpeed, r.read.minimum, r.read.average));
    const std::pair<int, const std::vector<ClusterRange>*> ranges[] = {
        {kIdsCliUnreadable, &r.unreadable},
        {kIdsCliChanged, &r.changed},
        {kIdsCliNotFrames, &r.notFrames},
        {kIdsCliUntested, &r.untested},
    };
    for (const auto& [id, list] : ranges) {
        if (!list->empty())
            lines.push_back(FormatText(id, ClusterRangesText(*list).c_str()));
    }
    return lines;
}

std::string ScanVerdict(const CardScanReport& r)
{
    if (r.outcome != kScanDone)
        return {};
    if (r.Fit())
        return FormatText(kIdsScanFit, r.read.minimum, kPlayerMBps);
    return FormatText(kIdsScanUnfit);
}

std::vector<std::string> ScanUnfitReasons(const CardScanReport& r)
{
    std::vector<std::string> reasons;
    if (r.outcome != kScanDone)
        return reasons;
    if (r.unfit & kUnfitFake)
        reasons.push_back(FormatText(kIdsUnfitFake));
    if (r.unfit & kUnfitUnreadable)
        reasons.push_back(FormatText(kIdsUnfitUnreadable, static_cast<unsigned long long>(ClustersIn(r.unreadable))));
    if (r.unfit & kUnfitChanged)
        reasons.push_back(FormatText(kIdsUnfitChanged, static_cast<unsigned long long>(ClustersIn(r.changed))));
    if (r.unfit & kUnfitSlow)
        reasons.push_back(FormatText(kIdsUnfitSlow, r.read.minimum, kPlayerMBps));
    return reasons;
}

bool KeepTestFinding(CDisk& disk, std::uint64_t realBytes)
{
    disk.SetRealCapacity(realBytes);
    return KeepRealCapacity(disk.Identity(), realBytes);
}
