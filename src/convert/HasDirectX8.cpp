#include "HasDirectX8.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

bool HasDirectX8()
{
    static const bool present = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO) != nullptr;
    return present;
}
