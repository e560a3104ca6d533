#include "ResultMessages.h"

#include "ClipChecks.h"
#include "ClipExport.h"
#include "ClipWriter.h"
#include "MediaResult.h"
#include "Texts.h"

ResultMessage ConversionMessage(int mediaResult)
{
    switch (mediaResult) {
    case kMediaDone:
        return {kIdsConversionComplete, kMsgInfo, kArgNone};
    case kMediaNoDecoder:
        return {kIdsNoDecoder, kMsgWarning, kArgNone};
    case kMediaFileNotCreatable:
        return {kIdsCannotOpenFile, kMsgError, kArgPath};
    case kMediaWriteFailed:
        return {kIdsCannotWriteFile, kMsgError, kArgPath};
    case kMediaAborted:
        return {kIdsOperationAborted, kMsgInfo, kArgNone};
    case kMediaNotVideo:
        return {kIdsCliNotVideo, kMsgError, kArgSource};
    default:
        return {kIdsConversionFailed, kMsgError, kArgNone};
    }
}

ResultMessage WriteMessage(int writeOutcome)
{
    switch (writeOutcome) {
    case kWriteTooShort:
        return {kIdsFileTooShort, kMsgError, kArgNone};
    case kWriteTooLong:
        return {kIdsFileTooLong, kMsgError, kArgNone};
    case kWriteNoRoom:
        return {kIdsNoRoom, kMsgError, kArgNone};
    case kWriteDone:
        return {kIdsWriteCompleted, kMsgInfo, kArgNone};
    case kWriteAborted:
    case kWriteCompactionStopped:
        return {kIdsOperationAborted, kMsgInfo, kArgNone};
    default:
        return {kIdsCancelled, kMsgInfo, kArgNone};
    }
}

ResultMessage ExportMessage(int exportResult)
{
    switch (exportResult) {
    case kExportCannotCreate:
        return {kIdsCannotOpenFile, kMsgError, kArgPath};
    case kExportAborted:
        return {kIdsOperationAborted, kMsgInfo, kArgNone};
    default:
        return {};
    }
}

ResultMessage LoadMessage(const ClipCheck& check)
{
    if (check.messageId == 0)
        return {};
    const bool namesFile = check.messageId == kIdsCannotOpenFile || check.messageId == kIdsCannotReadFile;
    return {check.messageId, check.messageFlags, namesFile ? kArgPath : kArgNone};
}

std::string ResultText(const ResultMessage& message, const std::string& path, const std::string& source)
{
    if (!message.Says())
        return {};
    if (message.argument == kArgPath)
        return InsertArgument(LoadText(message.textId), path);
    if (message.argument == kArgSource)
        return FormatText(message.textId, source.c_str());
    // As ShowMessage formats a text without arguments ("%%" is one '%').
    return FormatText(message.textId);
}

int ShowResult(IInteraction& ui, const ResultMessage& message, const std::string& path, const std::string& source)
{
    if (!message.Says())
        return kIdOk;
    return ui.Show(message.textId, message.flags, ResultText(message, path, source));
}
