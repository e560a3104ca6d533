#include "ConvertVideoToDv.h"

#include "CDvFileSink.h"
#include "CVideoConversion.h"
#include "ConversionProgress.h"
#include "Paths.h"
#include "Progress.h"

#include <unistd.h>

#include <algorithm>

int ConvertVideoToDv(const std::string& source, const std::string& output, DvAspect aspect, IProgress& progress,
                     const std::function<void()>& controlsChanged, ConversionReport* reportOut)
{
    ConversionReport localReport;
    ConversionReport& report = reportOut != nullptr ? *reportOut : localReport;
    report = ConversionReport();
    CVideoConversion conversion;
    if (const int opened = conversion.Open(source, aspect); opened != kMediaDone)
        return opened;
    CDvFileSink sink;
    if (!sink.OpenConversionOutput(source, output))
        return kMediaFileNotCreatable;
    const int expected = conversion.ExpectedFrames();
    // Captioned with the source's name, the percentage and the time left.
    CConversionProgress converting(progress, FileName(source));
    converting.Begin(expected + 1);
    if (controlsChanged)
        controlsChanged();
    int result = conversion.Run(
        sink,
        [&](int frames) {
            converting.Set(std::min(frames, expected));
            return !converting.Pump();
        },
        report);
    converting.End();
    if (controlsChanged)
        controlsChanged();
    if (!sink.Close() && result == kMediaDone)
        result = kMediaWriteFailed;
    if (result != kMediaDone)
        ::unlink(output.c_str());
    return result;
}
