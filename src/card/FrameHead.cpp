#include "FrameHead.h"

namespace {

constexpr int kBlock = 80;
constexpr std::uint8_t kTimecodePack = 0x13;
constexpr std::uint8_t kControlPack = 0x61;
constexpr std::uint8_t kDatePack = 0x62;
constexpr std::uint8_t kTimePack = 0x63;

// A two-digit BCD number under the mask; -1 when a digit is not decimal.
int Bcd(std::uint8_t byte, std::uint8_t tensMask)
{
    const int units = byte & 0x0F;
    const int tens = (byte >> 4) & tensMask;
    return units > 9 ? -1 : tens * 10 + units;
}

// The first pack with header `type` in the subcode and VAUX blocks.
const std::uint8_t* FindPack(const std::uint8_t* s, std::uint8_t type)
{
    for (int b = 3; b <= 5; ++b) {
        for (int p = 0; p < 15; ++p) {
            const std::uint8_t* pack = s + b * kBlock + 3 + 5 * p;
            if (pack[0] == type)
                return pack;
        }
    }
    for (int b = 1; b <= 2; ++b) {
        for (int k = 0; k < 6; ++k) {
            const std::uint8_t* pack = s + b * kBlock + 6 + 8 * k;
            if (pack[0] == type)
                return pack;
        }
    }
    return nullptr;
}

// Days since 1970-01-01 of a civil date.
std::int64_t DaysOf(int y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + doe - 719468;
}

} // namespace

FrameHead ParseFrameHead(const std::uint8_t* s)
{
    FrameHead h;
    // Section types in the top three bits of each block's first ID byte:
    // header, two subcode, three VAUX, then the first audio block; the
    // header's DSF bit says 625/50.
    static const std::uint8_t kTypes[7] = {0, 1, 1, 2, 2, 2, 3};
    for (int b = 0; b < 7; ++b) {
        if ((s[b * kBlock] >> 5) != kTypes[b])
            return h;
    }
    if ((s[3] & 0x80) == 0)
        return h;
    h.pal = true;

    if (const std::uint8_t* tc = FindPack(s, kTimecodePack)) {
        const int ff = Bcd(tc[1], 0x3), ss = Bcd(tc[2], 0x7), mm = Bcd(tc[3], 0x7), hh = Bcd(tc[4], 0x3);
        if (ff >= 0 && ff < 25 && ss >= 0 && ss < 60 && mm >= 0 && mm < 60 && hh >= 0 && hh < 24) {
            h.hasTimecode = true;
            h.timecode = ((hh * 60 + mm) * 60 + ss) * 25 + ff;
        }
    }
    const std::uint8_t* date = FindPack(s, kDatePack);
    const std::uint8_t* time = FindPack(s, kTimePack);
    if (date != nullptr && time != nullptr) {
        const int d = Bcd(date[2], 0x3), mo = Bcd(date[3], 0x1), y = Bcd(date[4], 0xF);
        const int sec = Bcd(time[2], 0x7), mi = Bcd(time[3], 0x7), hr = Bcd(time[4], 0x3);
        if (d >= 1 && d <= 31 && mo >= 1 && mo <= 12 && y >= 0 && sec >= 0 && sec < 60 && mi >= 0 && mi < 60 &&
            hr >= 0 && hr < 24) {
            h.hasRecorded = true;
            h.year = y < 75 ? 2000 + y : 1900 + y;
            h.month = mo;
            h.day = d;
            h.hour = hr;
            h.minute = mi;
            h.second = sec;
            h.recorded = DaysOf(h.year, mo, d) * 86400 + (hr * 60 + mi) * 60 + sec;
        }
    }
    if (const std::uint8_t* control = FindPack(s, kControlPack))
        h.wide = (control[2] & 0x07) == 0x02;
    return h;
}

int ParseAudioFormat(const std::uint8_t* s)
{
    const std::uint8_t* block = s + kAudioPackInSector;
    if ((block[0] & 0xF0) != 0x70 || block[3] != 0x50)
        return -1;
    // PC2 channel bits, PC4 sampling and quantisation.
    return ((block[5] >> 5) & 0x3) << 6 | (block[7] & 0x3F);
}

bool FollowsOn(const FrameHead& prev, const FrameHead& next)
{
    if (prev.wide != next.wide || prev.hasTimecode != next.hasTimecode || prev.hasRecorded != next.hasRecorded)
        return false;
    if (prev.hasTimecode && next.timecode != (prev.timecode + 1) % kFramesPerDay)
        return false;
    if (prev.hasRecorded) {
        const std::int64_t step = next.recorded - prev.recorded;
        if (step != 0 && step != 1)
            return false;
    }
    return true;
}
