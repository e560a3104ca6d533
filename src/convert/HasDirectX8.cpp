#include "HasDirectX8.h"

#include <atomic>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {
std::atomic<int> g_override{-1};
}

bool HasDirectX8()
{
    static const bool present = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO) != nullptr;
    const int forced = g_override.load();
    return forced < 0 ? present : forced != 0;
}

void OverrideDirectX8ForTests(int present)
{
    g_override.store(present < 0 ? -1 : present != 0);
}
