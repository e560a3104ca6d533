// Fuzz target: any 144000 bytes (cut or zero-filled to that size) as frame 0
// of a raw DV file, through the checks made when a file is loaded. The
// verdict, its message and whether the file stays open must follow from the
// bytes of the audio block and the header block alone, as an independent
// reading of them says.
#include "CClipFile.h"
#include "ClipChecks.h"
#include "DvFrame.h"
#include "FuzzScratch.h"
#include "Interaction.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void Require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_first_frame: %s\n", what);
        std::abort();
    }
}

struct Expected {
    int verdict;
    int messageId;
    unsigned flags;
    bool staysOpen;
};

// The DV test and audio classes read straight from the frame's bytes:
// sequence 0, block 54 must be an audio block (0111 in the top bits of its
// first ID byte) carrying an AAUX source pack (0x50); then SMP (bits 3-5 of
// PC4) and AF_SIZE (bits 0-5 of PC1) decide. A header block of sequence 0
// whose system flag says 525/60 makes the frame one the player cannot show.
Expected Judge(const std::uint8_t* f)
{
    const bool ntsc = f[0] == 0x1F && (f[1] & 0xF7) == 0x07 && f[2] == 0 && (f[3] & 0x80) == 0;
    if ((f[4320] >> 4) != 0x7 || f[4323] != 0x50 || ntsc)
        return {kVerdictNotDv, kIdsCannotReadFile, kMsgError, false};
    const int smp = (f[4327] >> 3) & 7;
    const int af = f[4324] & 0x3F;
    if (smp == 0 && af <= 48)
        return {kVerdictOk, 0, 0, true};
    if ((smp == 0 && af > 48) || (smp == 2 && af > 32))
        return {kVerdictNoAudio, kIdsNoAudio, kMsgWarning, true};
    return {kVerdictIncompatibleAudio, kIdsIncompatibleAudio, kMsgError, false};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(kDvFrameSize, 0);
    std::memcpy(bytes.data(), data, size < bytes.size() ? size : bytes.size());
    CFuzzScratch& scratch = CFuzzScratch::Get();
    const std::string path = scratch.File("frame0.dv");
    if (!scratch.Write("frame0.dv", bytes.data(), bytes.size()))
        return 0;

    CClipFile file;
    std::unique_ptr<std::uint8_t[]> frame(new std::uint8_t[kDvFrameSize]);
    const ClipCheck check = CheckClipFile(file, path, frame.get());
    Require(check.openResult == kClipOpenOk && check.frames == 1, "a one-frame raw DV file did not open");
    Require(std::memcmp(frame.get(), bytes.data(), bytes.size()) == 0, "frame 0 differs from the file");

    const Expected expected = Judge(bytes.data());
    Require(check.verdict == expected.verdict, "wrong verdict");
    Require(check.messageId == expected.messageId, "wrong message");
    Require(check.messageFlags == expected.flags, "wrong message icon");
    Require(file.IsOpen() == expected.staysOpen, "file left open (or closed) against the verdict");
    Require(check.Usable() == expected.staysOpen, "usable against the verdict");
    Require(check.Passed() == expected.staysOpen, "passed against the verdict");
    Require(check.dv == (expected.verdict == kVerdictNotDv ? 0 : 1), "wrong DV test result");
    return 0;
}
