// What the card tests found, as text: the probe's findings (one message
// each, as the window and the command line show them), the scan's figures
// (real capacity, clusters tested, speeds, the ranges of clusters that
// failed) and its verdict. Keeping a finding with the card's identity, so
// that the writer honours it from then on.
#pragma once
#include "CardScan.h"

#include <cstdint>
#include <string>
#include <vector>

class CDisk;

struct ReportLine {
    int textId = 0;
    unsigned flags = 0;
    std::string text; // filled in
};

// Megabytes of 2^20 bytes, as the findings count them.
unsigned long long ReportMegabytes(std::uint64_t bytes);

// What the probe found: a message for each finding (genuine or fake, a
// wrap, a bad area, a clip put back or lost); none for an Abort or a
// failure.
std::vector<ReportLine> ProbeFindings(const CardProbeReport& report);

// "0-9, 12, 40-41": cluster numbers from 0, as info --json gives them.
std::string ClusterRangesText(const std::vector<ClusterRange>& ranges);

// "Real capacity: %llu MB of the %llu MB the card reports (%d clusters)."
std::string RealCapacityLine(std::uint64_t realBytes, std::uint64_t reportedBytes, std::uint32_t realClusters);

// The scan's figures, one line each: the real capacity, the clusters
// tested, the write and the read speed, and the clusters that could not be
// read or written, did not keep their data, hold no frame or were not
// tested.
std::vector<std::string> ScanFigureLines(const CardScanReport& report);

// The verdict of a completed scan: fit for the player, or not fit followed
// by one line for each reason; nothing for a scan that did not complete.
std::string ScanVerdict(const CardScanReport& report);
std::vector<std::string> ScanUnfitReasons(const CardScanReport& report);

// Keeps what a completed test found (the real capacity in bytes) for the
// open card and with its identity. False when it could not be stored.
bool KeepTestFinding(CDisk& disk, std::uint64_t realBytes);
