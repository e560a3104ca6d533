// Refilling the main window's lists for a card whose 144 slots all hold a
// clip: 144 first-frame reads from a card image, 144 decodes to 90x72
// thumbnails, and the labels and icons of the three lists. The same 144
// reads and decodes without the window are timed in the same run, so the
// window's own share shows.
//
// Usage: bench_window_refill [rounds]
//   Prints the mean time of a refill and of the bare reads and decodes.
//   The target is well under a second per refill; exits with status 1 when
//   a refill takes a second or more.
#include "BenchCommon.h"
#include "CDeviceEvents.h"
#include "CDisk.h"
#include "CMainWin.h"
#include "MainWinProbe.h"
#include "FfmpegPtr.h"
#include "FramePicture.h"
#include "Settings.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

namespace {


class CSilentInteraction : public IInteraction {
public:
    int Show(int, unsigned, const std::string& text) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return kIdOk;
    }
};

// One PAL DV frame of a moving gradient, from libavcodec's encoder.
std::vector<std::uint8_t> MakeFrame(int seed)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVVIDEO);
    if (!codec)
        return {};
    const ff::Codec encoder(avcodec_alloc_context3(codec));
    const ff::Frame frame(av_frame_alloc());
    const ff::Packet packet(av_packet_alloc());
    if (!encoder || !frame || !packet)
        return {};
    AVCodecContext* enc = encoder.get();
    AVFrame* f = frame.get();
    AVPacket* pkt = packet.get();
    enc->width = 720;
    enc->height = 576;
    enc->pix_fmt = AV_PIX_FMT_YUV420P;
    enc->time_base = AVRational{1, 25};
    std::vector<std::uint8_t> out;
    if (avcodec_open2(enc, codec, nullptr) == 0) {
        f->format = enc->pix_fmt;
        f->width = 720;
        f->height = 576;
        if (av_frame_get_buffer(f, 0) == 0) {
            for (int y = 0; y < 576; ++y)
                for (int x = 0; x < 720; ++x)
                    f->data[0][y * f->linesize[0] + x] = static_cast<std::uint8_t>((x + y + seed * 7) & 0xFF);
            for (int p = 1; p < 3; ++p)
                for (int y = 0; y < 288; ++y)
                    for (int x = 0; x < 360; ++x)
                        f->data[p][y * f->linesize[p] + x] = static_cast<std::uint8_t>(128 + ((x * p + seed) & 63));
            if (avcodec_send_frame(enc, f) == 0 && avcodec_send_frame(enc, nullptr) == 0 &&
                avcodec_receive_packet(enc, pkt) == 0)
                out.assign(pkt->data, pkt->data + pkt->size);
        }
    }
    return out;
}

// A card image with 144 clips of 75 frames, each first cluster a frame.
bool MakeCard(const std::string& path)
{
    const int clusters = kSlotCount * 75;
    const long long bytes = static_cast<long long>(ClusterOffset(static_cast<std::uint64_t>(clusters))) + kSectorSize;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    const bool sized = ::ftruncate(fileno(f), bytes) == 0;
    std::fclose(f);
    CDisk disk;
    if (!sized || disk.OpenPath(path) != kOpenOk)
        return false;
    disk.Format();
    std::vector<std::uint8_t> cluster(kClusterSize, 0);
    for (int slot = 0; slot < kSlotCount; ++slot) {
        const std::vector<std::uint8_t> frame = MakeFrame(slot);
        if (frame.size() != static_cast<std::size_t>(kFrameSize))
            return false;
        std::copy(frame.begin(), frame.end(), cluster.begin());
        if (!disk.WriteCluster(slot * 75, cluster.data()) ||
            !disk.RecordClip(slot, "", 75, CDisk::SectorOfCluster(static_cast<std::uint32_t>(slot * 75))).Stored())
            return false;
    }
    return true;
}

// The bench's temporary folder with its card image and settings, removed on
// every way out.
struct CBenchFolder {
    char path[32] = "/tmp/bench_refill_XXXXXX";
    bool made = ::mkdtemp(path) != nullptr;
    std::string File(const char* name) const { return std::string(path) + "/" + name; }
    ~CBenchFolder()
    {
        if (!made)
            return;
        std::remove(File("card.img").c_str());
        std::remove(File("bench.ini").c_str());
        ::rmdir(path);
    }
};

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    const CBenchFolder folder;
    if (!folder.made)
        return 2;
    const std::string image = folder.File("card.img");
    const std::string ini = folder.File("bench.ini");
    if (!MakeCard(image)) {
        std::fprintf(stderr, "cannot make the card image\n");
        return 2;
    }
    SetSettingsPath(ini);
    WriteProfileString("Cards", "Image1", image);
    // The card image alone: the machine's own card readers stay out.
    CAppEnvironment env;
    env.cardReaders = [] { return std::vector<CardCandidate>(); };

    double refill = 0;
    double bare = 0;
    {
        CSilentInteraction ui;
        CMainWin win(env, &ui, std::make_unique<CDeviceEvents>());
        Probe(win).OnStartupTimer();
        if (!Probe(win).Disk().IsLoaded()) {
            std::fprintf(stderr, "the card did not load\n");
            return 2;
        }
        // Rounds of the two alternate, so that a change of the machine's
        // load falls on both.
        std::vector<std::uint8_t> cluster(kClusterSize);
        std::vector<std::uint8_t> pixels;
        for (int r = 0; r < rounds; ++r) {
            auto start = Clock::now();
            Probe(win).RefillLists();
            refill += Seconds(Clock::now() - start);

            start = Clock::now();
            for (int slot = 0; slot < kSlotCount; ++slot) {
                if (!Probe(win).Disk().ReadClipFirstFrame(slot, cluster.data()) ||
                    DecodeThumbnailPixels(cluster.data(), pixels) != 0)
                    return 2;
            }
            bare += Seconds(Clock::now() - start);
        }
    }
    SetSettingsPath("");

    refill /= rounds;
    bare /= rounds;
    std::printf("refill of 144 clips: %.3f s (mean of %d)\n", refill, rounds);
    std::printf("144 reads and decodes alone: %.3f s; the window's share %.0f %%\n", bare,
                refill > 0 ? 100.0 * (refill - bare) / refill : 0.0);
    return refill < 1.0 ? 0 : 1;
}
