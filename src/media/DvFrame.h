// Facts about one PAL DV frame that the program relies on: the DV test made
// on its audio block, the class of the audio found there, and frame counts
// shown as a duration and as the size they occupy on the card.
#pragma once
#include "CardLayout.h"

#include <cstdint>
#include <string>

inline constexpr int kDvFrameSize = kFrameSize; // 144000 bytes
inline constexpr int kDvFramesPerSecond = 25;

// Offsets in a frame of the inspected audio block (sequence 0, block 54) and
// of the AAUX source pack it carries.
inline constexpr int kDvAudioBlockOffset = 4320; // first block ID byte
inline constexpr int kDvAauxPackHeader = 4323;   // must be 0x50
inline constexpr int kDvAauxPc1 = 4324;          // bits 0-5: AF_SIZE
inline constexpr int kDvAauxPc4 = 4327;          // bits 3-5: SMP

// Audio classes returned by ClassifyDvAudio.
enum DvAudioClass : int {
    kDvAudioUnsupported = 0, // 44.1 kHz, or a code that names no rate
    kDvAudio32k = 1,         // 32 kHz
    kDvAudio48k = 2,         // 48 kHz
    kDvAudioNoSamples = 3,   // AF_SIZE beyond what the rate allows
};

// True when the frame holds a 720x576 DV video stream as far as the program
// tests it: block 54 of sequence 0 is an audio block (top four bits 0111)
// carrying an AAUX source pack (0x50). `frame` holds 144000 bytes.
bool IsDvFrame(const std::uint8_t* frame);

// True when the frame's first block is the header block of a 525/60 (NTSC)
// frame: the player shows only 625/50 frames. A frame of that system can
// pass IsDvFrame, and a raw file of a multiple of 6 of its 120000-byte
// frames has a size that counts whole 144000-byte frames.
bool IsNtscDvFrame(const std::uint8_t* frame);

// A DV frame the player shows: IsDvFrame, and not of the 525/60 system.
bool IsPalDvFrame(const std::uint8_t* frame);

// The audio class 0 to 3 from SMP and AF_SIZE of the AAUX source pack. Reads
// bytes 4324 and 4327 only; meaningful after IsDvFrame has passed.
int ClassifyDvAudio(const std::uint8_t* frame);

// "%d:%02d:%02d.%02d": hours (not limited), minutes, seconds, frames.
std::string FormatFrameTime(int frames);

// The time followed by " %c (%d.%d MB)": a line break or a space, then the
// size the frames occupy on the card (141 KiB each) in megabytes with one
// decimal digit, truncated.
std::string FormatFrameTimeSize(int frames, bool lineBreak);
