// The ids of the string table (res/strings.tsv), one name for each. Every
// text has an English id; its Russian text has the id plus
// kRussianTextOffset. The lists below generate both the enumeration and the
// list of all translated ids, so a check over the whole table cannot miss a
// name.
#pragma once

// The Russian text of id N is N + kRussianTextOffset.
inline constexpr int kRussianTextOffset = 1000;

// Captions of the main window's and the preview window's controls; a
// control's id is its caption's id.
#define TESSARO_CAPTION_TEXTS(X)                \
    X(kIdsCaptionReadClip, 2001)                \
    X(kIdsCaptionFormat, 2002)                  \
    X(kIdsCaptionAbort, 2003)                   \
    X(kIdsCaptionWriteClip, 2004)               \
    X(kIdsCaptionDeleteClip, 2005)              \
    X(kIdsCaptionOpenClip, 2006)                \
    X(kIdsCaptionPreview, 2007)                 \
    X(kIdsCaptionPreviewClip, 2008)             \
    X(kIdsCaptionClip, 2009)                    \
    X(kIdsCaptionFile, 2010)                    \
    X(kIdsCaptionTotal, 2011)                   \
    X(kIdsCaptionMemoryCards, 2012)             \
    X(kIdsCaptionCurrentCard, 2013)             \
    X(kIdsCaptionCapacity, 2014)                \
    X(kIdsCaptionFree, 2015)                    \
    X(kIdsCaptionClips, 2016)                   \
    X(kIdsCaptionPlaylistInfo, 2017)            \
    X(kIdsCaptionPlaylists, 2018)               \
    X(kIdsCaptionCurrentPlaylist, 2019)         \
    X(kIdsCaptionLogoControl, 2020)             \
    X(kIdsCaptionRefresh, 2021)                 \
    X(kIdsCaptionRemoveClip, 2022)              \
    X(kIdsCaptionDeletePlaylist, 2023)          \
    X(kIdsCaptionLoop, 2025)                    \
    X(kIdsCaptionDoNothing, 2026)               \
    X(kIdsCaptionTurnOff, 2027)                 \
    X(kIdsCaptionTurnOn, 2028)                  \
    X(kIdsCaptionPlay, 4001)                    \
    X(kIdsCaptionStop, 4002)                    \
    X(kIdsCaptionClose, 4003)

// Messages of the window (shared by the command line), list texts and file
// filters.
#define TESSARO_MESSAGE_TEXTS(X)                \
    X(kIdsCannotOpenFile, 10010)                \
    X(kIdsCannotReadFile, 10011)                \
    X(kIdsNoRights, 10013)                      \
    X(kIdsUnsupportedSystem, 10014)             \
    X(kIdsCardAccessError, 10015)               \
    X(kIdsCardWriteError, 10016)                \
    X(kIdsFilterOpenClip, 10020)                \
    X(kIdsFilterDv, 10021)                      \
    X(kIdsFormatComplete, 10030)                \
    X(kIdsAskFormat, 10031)                     \
    X(kIdsAskDeleteClip, 10032)                 \
    X(kIdsAskWriteAtSlot, 10033)                \
    X(kIdsAskDeletePlaylist, 10034)             \
    X(kIdsNotFormatted, 10035)                  \
    X(kIdsNoCardFound, 10037)                   \
    X(kIdsOperationAborted, 10038)              \
    X(kIdsWriteCompleted, 10039)                \
    X(kIdsAskConvertAvi, 10041)                 \
    X(kIdsNoDecoder, 10042)                     \
    X(kIdsConversionFailed, 10043)              \
    X(kIdsNoRoom, 10044)                        \
    X(kIdsIncompatibleVideo, 10045)             \
    X(kIdsIncompatibleAudio, 10046)             \
    X(kIdsPlaylistInfo, 10047)                  \
    X(kIdsPlaylistEmpty, 10048)                 \
    X(kIdsFileTooShort, 10049)                  \
    X(kIdsNoAudio, 10050)                       \
    X(kIdsNoPlaylist, 10051)                    \
    X(kIdsChooseConvertedName, 10052)           \
    X(kIdsConversionComplete, 10053)            \
    X(kIdsFileTooLong, 10054)                   \
    X(kIdsCardMountedAt, 10055)                 \
    X(kIdsCardInUse, 10056)                     \
    X(kIdsAskConvertVideo, 10057)               \
    X(kIdsCannotWriteFile, 10058)               \
    X(kIdsVerifying, 10060)                     \
    X(kIdsVerifyMismatch, 10061)                \
    X(kIdsExportNotAFile, 10062)                \
    X(kIdsDropSummary, 10063)                   \
    X(kIdsNoEmptySlot, 10064)                   \
    X(kIdsCancelled, 10065)                     \
    X(kIdsAppUsage, 10067)                      \
    X(kIdsCardChanged, 10070)                   \
    X(kIdsMoveFinished, 10075)                  \
    X(kIdsMoveUndone, 10076)                    \
    X(kIdsConversionShort, 10085)               \
    X(kIdsConvertThroughFile, 10086)            \
    X(kIdsAskConvertWhileWriting, 10087)        \
    X(kIdsKeepDvCopy, 10088)                    \
    X(kIdsAskCopyOnto, 10100)                   \
    X(kIdsCopyNoRoom, 10101)                    \
    X(kIdsCopyTargetFailed, 10102)              \
    X(kIdsAskReplaceBackup, 10103)              \
    X(kIdsBackupNotAFile, 10104)                \
    X(kIdsBackupCannotCreate, 10105)            \
    X(kIdsBackupComplete, 10106)                \
    X(kIdsCopyComplete, 10107)                  \
    X(kIdsCopyOntoItself, 10108)                \
    X(kIdsCopyingCard, 10109)                   \
    X(kIdsBackupFileError, 10110)               \
    X(kIdsBackupFailed, 10111)                  \
    X(kIdsOpFormat, 10120)                      \
    X(kIdsOpDeleteClip, 10121)                  \
    X(kIdsOpWriteClip, 10122)                   \
    X(kIdsOpPlaylistEdit, 10123)                \
    X(kIdsOpRecover, 10124)                     \
    X(kIdsOpTableEdit, 10125)                   \
    X(kIdsRecoverTableLine, 10126)              \
    X(kIdsRecoverAskTable, 10127)               \
    X(kIdsRecoverNotWhole, 10128)               \
    X(kIdsRecoverAskRuns, 10129)                \
    X(kIdsRecoverDone, 10130)                   \
    X(kIdsRecoverNoSlots, 10131)                \
    X(kIdsProbeGenuine, 10140)                  \
    X(kIdsProbeFake, 10141)                     \
    X(kIdsProbeWrapped, 10142)                  \
    X(kIdsProbeBadArea, 10143)                  \
    X(kIdsProbeClipPutBack, 10144)              \
    X(kIdsProbeClipLost, 10145)                 \
    X(kIdsAskScan, 10146)                       \
    X(kIdsScanFit, 10147)                       \
    X(kIdsScanUnfit, 10148)                     \
    X(kIdsUnfitSlow, 10149)                     \
    X(kIdsUnfitUnreadable, 10150)               \
    X(kIdsUnfitChanged, 10151)                  \
    X(kIdsUnfitFake, 10152)                     \
    X(kIdsScanFreeOverwritten, 10153)           \
    X(kIdsBeyondRealCapacity, 10154)            \
    X(kIdsCaptionRealCapacity, 10155)           \
    X(kIdsProbing, 10156)                       \
    X(kIdsScanWriting, 10157)                   \
    X(kIdsScanReading, 10158)                   \
    X(kIdsCardReadOnly, 10180)              \
    X(kIdsTipCardReadOnly, 10181)           \
    X(kIdsMovePending, 10182)               \
    X(kIdsMovePendingProtected, 10183)      \
    X(kIdsPlayerPosition, 10160)            \
    X(kIdsTableTorn, 10170)                 \
    X(kIdsRecoverTablesCaption, 10210)      \
    X(kIdsRecoverNoEarlierTable, 10211)     \
    X(kIdsRecoverRunsCaption, 10212)        \
    X(kIdsRecoverKeepWhole, 10213)          \
    X(kIdsRecoverColCluster, 10214)         \
    X(kIdsRecoverColFrames, 10215)          \
    X(kIdsRecoverColDuration, 10216)        \
    X(kIdsRecoverColRecorded, 10217)        \
    X(kIdsRecoverColTimecode, 10218)        \
    X(kIdsRecoverColClip, 10219)            \
    X(kIdsRecoverLongEnough, 10220)         \
    X(kIdsRecoverTooShort, 10221)           \
    X(kIdsRecoverButton, 10222)             \
    X(kIdsOfferRecover, 10223)              \
    X(kIdsCheckCardTitle, 10224)            \
    X(kIdsCheckFullTest, 10225)             \
    X(kIdsCheckSpeedCaption, 10226)         \
    X(kIdsPlotWrite, 10227)                 \
    X(kIdsPlotRead, 10228)                  \
    X(kIdsPlotPlayer, 10229)                \
    X(kIdsPlotAxis, 10230)                  \
    X(kIdsPlotPosition, 10231)              \
    X(kIdsRecoverNothing, 10232)            \
    X(kIdsFilterCardImage, 10190)           \
    X(kIdsNotCardImage, 10191)              \
    X(kIdsCopyTargetsTitle, 10192)          \
    X(kIdsCopyTargetsPrompt, 10193)         \
    X(kIdsNoCopyTarget, 10194)              \
    X(kIdsBadClipName, 10240)               \
    X(kIdsRenameClip, 10241)                \
    X(kIdsNewClipName, 10242)               \
    X(kIdsAskFormatCard, 10330)             \
    X(kIdsFormatHolds, 10331)               \
    X(kIdsFormatUnread, 10332)              \
    X(kIdsSizeMegabytes, 10333)             \
    X(kIdsSizeGigabytes, 10334)             \
    X(kIdsWritingClip, 10335)               \
    X(kIdsConvertingLeft, 10336)            \
    X(kIdsConverting, 10337)                \
    X(kIdsMovingClip, 10338)                \
    X(kIdsSavingClip, 10339)

// The command line's own texts (usage, argument errors, hints); it shows
// the card and file messages of the window too.
#define TESSARO_CLI_TEXTS(X)                    \
    X(kIdsCliUsage, 20001)                      \
    X(kIdsCliCannotOpenCard, 20002)             \
    X(kIdsCliAccessDenied, 20003)               \
    X(kIdsCliNoSuchCard, 20004)                 \
    X(kIdsCliSlotEmpty, 20005)                  \
    X(kIdsCliOutOfRange, 20006)                 \
    X(kIdsCliNotFormatted, 20007)               \
    X(kIdsCliEditRefused, 20008)                \
    X(kIdsCliSeparateAudio, 20009)              \
    X(kIdsCliNoFreeSlot, 20010)                 \
    X(kIdsCliImageCreated, 20011)               \
    X(kIdsCliFileExists, 20012)                 \
    X(kIdsCliCannotCreate, 20013)               \
    X(kIdsCliProgress, 20014)                   \
    X(kIdsCliUnknownCommand, 20015)             \
    X(kIdsCliOverwrite, 20016)                  \
    X(kIdsCliSaved, 20017)                      \
    X(kIdsCliFrameSaved, 20018)                 \
    X(kIdsCliNoFrame, 20019)                    \
    X(kIdsCliNotStored, 20020)                  \
    X(kIdsCliAccessHint, 20021)                 \
    X(kIdsCliBadSize, 20022)                    \
    X(kIdsCliDecodeFailed, 20023)               \
    X(kIdsCliNotCardReader, 20024)              \
    X(kIdsCliNotVideo, 20027)                   \
    X(kIdsCliConvertHint, 20028)                \
    X(kIdsCliConverting, 20029)                 \
    X(kIdsCliSlotMoves, 20055)                  \
    X(kIdsCliNoClipNamed, 20056)                \
    X(kIdsCliNameShared, 20057)                 \
    X(kIdsCliRecoverTables, 20080)              \
    X(kIdsCliRecoverNoTables, 20081)            \
    X(kIdsCliRecoverRuns, 20082)                \
    X(kIdsCliRecoverRunLine, 20083)             \
    X(kIdsCliRecoverNoRuns, 20084)              \
    X(kIdsCliRecoverTooShort, 20085)            \
    X(kIdsCliRecoverNoNumber, 20086)            \
    X(kIdsCliRecoverPartialHint, 20087)         \
    X(kIdsCliRecoverNoDate, 20088)              \
    X(kIdsCliRecoverSearching, 20089)           \
    X(kIdsCliRealCapacity, 20100)               \
    X(kIdsCliWriteSpeed, 20101)                 \
    X(kIdsCliReadSpeed, 20102)                  \
    X(kIdsCliUnreadable, 20103)                 \
    X(kIdsCliChanged, 20104)                    \
    X(kIdsCliNotFrames, 20105)                  \
    X(kIdsCliUntested, 20106)                   \
    X(kIdsCliTested, 20107)                     \
    X(kIdsCliScanNotFormatted, 20108)           \
    X(kIdsCliRealCapacityInfo, 20109)

// The window's menus, their commands' own dialogs and the hints and tips
// of its lists.
#define TESSARO_MENU_TEXTS(X)                   \
    X(kIdsMenuFile, 10260)              \
    X(kIdsMenuOpenClip, 10261)          \
    X(kIdsMenuOpenImage, 10262)         \
    X(kIdsMenuNewImage, 10263)          \
    X(kIdsMenuQuit, 10264)              \
    X(kIdsMenuCard, 10265)              \
    X(kIdsMenuRefresh, 10266)           \
    X(kIdsMenuFormat, 10267)            \
    X(kIdsMenuClip, 10268)              \
    X(kIdsMenuWrite, 10269)             \
    X(kIdsMenuRead, 10270)              \
    X(kIdsMenuDelete, 10271)            \
    X(kIdsMenuPreview, 10272)           \
    X(kIdsMenuRename, 10273)            \
    X(kIdsMenuPlaylist, 10274)          \
    X(kIdsMenuToggleTransition, 10275)  \
    X(kIdsMenuRemoveEntry, 10276)       \
    X(kIdsMenuLoop, 10277)              \
    X(kIdsMenuDeletePlaylist, 10278)    \
    X(kIdsMenuHelp, 10279)              \
    X(kIdsMenuManual, 10280)            \
    X(kIdsMenuAbout, 10281)             \
    X(kIdsAboutText, 10282)             \
    X(kIdsMenuBackUp, 10283)            \
    X(kIdsMenuRestore, 10284)           \
    X(kIdsMenuCopyCard, 10285)          \
    X(kIdsMenuCheckCard, 10286)         \
    X(kIdsMenuRecover, 10287)           \
    X(kIdsHintDropFiles, 10288)         \
    X(kIdsHintDragClips, 10289)         \
    X(kIdsTipLoopMark, 10290)           \
    X(kIdsTipTimes, 10291)              \
    X(kIdsAskImageSize, 10293)          \
    X(kIdsNewImageTitle, 10294)         \
    X(kIdsOpenImageTitle, 10295)        \
    X(kIdsManualMissing, 10296)         \
    X(kIdsImageNotCard, 10297)          \
    X(kIdsTooManyCards, 10298)          \
    X(kIdsMenuPreviewFile, 10299)

#define TESSARO_TEXT_ENUMERATOR(name, id) name = id,
#define TESSARO_TEXT_LIST_ENTRY(name, id) name,

enum TextId : int {
    TESSARO_CAPTION_TEXTS(TESSARO_TEXT_ENUMERATOR)
    TESSARO_MESSAGE_TEXTS(TESSARO_TEXT_ENUMERATOR)
    TESSARO_CLI_TEXTS(TESSARO_TEXT_ENUMERATOR)
    TESSARO_MENU_TEXTS(TESSARO_TEXT_ENUMERATOR)
    // The application title: one text for both languages.
    kIdsAppTitle = 57344,
};

// Every id above that has an English and a Russian text (all but the title).
inline constexpr TextId kTranslatedTextIds[] = {
    TESSARO_CAPTION_TEXTS(TESSARO_TEXT_LIST_ENTRY)
    TESSARO_MESSAGE_TEXTS(TESSARO_TEXT_LIST_ENTRY)
    TESSARO_CLI_TEXTS(TESSARO_TEXT_LIST_ENTRY)
    TESSARO_MENU_TEXTS(TESSARO_TEXT_LIST_ENTRY)
};

#undef TESSARO_TEXT_ENUMERATOR
#undef TESSARO_TEXT_LIST_ENTRY
#undef TESSARO_CAPTION_TEXTS
#undef TESSARO_MESSAGE_TEXTS
#undef TESSARO_CLI_TEXTS
#undef TESSARO_MENU_TEXTS
