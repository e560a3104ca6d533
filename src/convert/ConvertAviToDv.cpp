#include "ConvertAviToDv.h"

#include "CDvFileSink.h"
#include "MediaGraph.h"

int ConvertAviToDv(const std::string& source, const std::string& output, bool decoderPresent)
{
    if (!decoderPresent)
        return kMediaNoDecoder;
    CDvFileSink sink;
    if (!sink.OpenConversionOutput(source, output))
        return kMediaFileNotCreatable;
    const MuxResult muxed = MuxAviToDv(source, sink);
    const bool closed = sink.Close();
    return muxed == kMuxDone && closed ? kMediaDone : kMediaGraphFailed;
}
