// String ids of the command line's own texts (usage, argument errors,
// hints); the card and file messages are the window's.
#pragma once

enum CliText : int {
    kCliUsage = 20001,
    kCliCannotOpenCard = 20002,
    kCliAccessDenied = 20003,
    kCliNoSuchCard = 20004,
    kCliSlotEmpty = 20005,
    kCliOutOfRange = 20006,
    kCliNotFormatted = 20007,
    kCliEditRefused = 20008,
    kCliSeparateAudio = 20009,
    kCliNoFreeSlot = 20010,
    kCliImageCreated = 20011,
    kCliFileExists = 20012,
    kCliCannotCreate = 20013,
    kCliProgress = 20014,
    kCliUnknownCommand = 20015,
    kCliOverwrite = 20016,
    kCliSaved = 20017,
    kCliFrameSaved = 20018,
    kCliNoFrame = 20019,
    kCliNotStored = 20020,
    kCliAccessHint = 20021,
    kCliBadSize = 20022,
    kCliDecodeFailed = 20023,
    kCliNotCardReader = 20024,
    kCliNotVideo = 20027,
    kCliConvertHint = 20028,
    kCliConverting = 20029,
};

// Exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
