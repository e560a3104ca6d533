// What the first sector of a card cluster tells about the DV frame in it:
// the header, subcode and VAUX blocks of the first DIF sequence give the
// 625/50 system, the timecode, the recording date and time and the frame
// shape; block 54 (the AAUX source pack, in the cluster's ninth sector)
// gives the audio format.
#pragma once
#include <cstdint>

inline constexpr int kAudioPackSector = 8;    // sector of the cluster holding byte 4320
inline constexpr int kAudioPackInSector = 4320 - kAudioPackSector * 512;
inline constexpr int kFramesPerSecond = 25;
inline constexpr int kFramesPerDay = 24 * 3600 * kFramesPerSecond; // a timecode's range

struct FrameHead {
    bool pal = false;       // a 625/50 DV frame's block structure
    bool hasTimecode = false;
    int timecode = 0;       // frames since 00:00:00:00
    bool hasRecorded = false;
    std::int64_t recorded = 0; // seconds of the recording date and time (a day count times 86400 plus the time)
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool wide = false;      // 16:9
};

// Reads the 512 bytes of a cluster's first sector.
FrameHead ParseFrameHead(const std::uint8_t* sector);

// The audio format of the frame from its ninth sector: -1 without an AAUX
// source pack, else its sampling, quantisation and channel bits.
int ParseAudioFormat(const std::uint8_t* sector);

// True when `next` follows `prev` on one recording: the timecode one frame
// on, the recording time the same or a second on, the same frame shape.
bool FollowsOn(const FrameHead& prev, const FrameHead& next);
