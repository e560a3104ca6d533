// What the program finds on the machine it runs on, gathered in one object
// that is handed to the code that needs it, so that tests pass their own in
// place of the machine's: how a card device is opened, and which card
// readers hold a card. A default-made environment is the machine's own;
// the programs make theirs in main().
#pragma once
#include "BlockDeviceInfo.h"
#include "Device.h"

#include <functional>
#include <vector>

struct CEnvironment {
    // The direct opening of a card device by path (udisks2 is asked after
    // a refusal: OpenCardDevice).
    DeviceOpener openDevice = OpenDevicePath;
    // The card readers' disks that hold a card, in name order: the drive
    // table's block devices, after the settings' card images.
    std::function<std::vector<CardCandidate>()> cardReaders = [] { return CardCandidates(); };
    // The folder laid out like /sys that the card tests read (tests build
    // their own, and point `cardReaders` at it too).
    std::string sysRoot = kSysRoot;
    // How a request to udisks2, which may wait for the password, is waited
    // for (Device.h); empty: on the caller's thread.
    AuthorisationWait awaitAuthorisation;
};

// The machine's own environment, never changed: what a CDisk made without
// an environment uses.
const CEnvironment& HostEnvironment();
