#include "ConvertToDv.h"

#include "ConvertAviToDv.h"
#include "ConvertVideoToDv.h"
#include "MediaGraph.h"

int ConvertToDv(const std::string& source, const std::string& output, DvAspect aspect, IProgress& progress)
{
    if (IsPalDvAvi(source))
        return ConvertAviToDv(source, output);
    return ConvertVideoToDv(source, output, aspect, progress);
}
