#include "TableOperation.h"

TextId TableOperationText(int operation)
{
    switch (operation) {
    case kTableFormat:
        return kIdsOpFormat;
    case kTableDeleteClip:
        return kIdsOpDeleteClip;
    case kTableWriteClip:
        return kIdsOpWriteClip;
    case kTablePlaylistEdit:
        return kIdsOpPlaylistEdit;
    case kTableRecover:
        return kIdsOpRecover;
    default:
        return kIdsOpTableEdit;
    }
}
