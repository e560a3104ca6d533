// Access to a card without rights of one's own: the udisks2 daemon opens the
// block device on the user's behalf (org.freedesktop.UDisks2.Block's
// OpenDevice on the system bus, through libsystemd's sd-bus) after polkit
// has asked the desktop's agent for the password; udisks2 keeps that
// authorisation for a few minutes, so one password covers a session.
#pragma once
#include "BlockDeviceInfo.h"
#include "Device.h"

#include <memory>
#include <string>

// Asks udisks2 for block device `name` (a kernel name such as "sdb"),
// exclusively, with `write` for reading and writing (for reading alone when
// the card is write-protected), else for reading alone. kOpenOk with `device` set; kOpenInUse when a
// partition of it is mounted (then nothing is asked) or the daemon finds it
// busy; kOpenDenied when there is no system bus or no udisks2, the
// authorisation is refused or the password prompt is cancelled;
// kOpenNotCard when the daemon cannot open the device for another reason.
// sysfs (mounts, write protection) is read below `sysRoot`.
int OpenThroughUdisks(const std::string& name, bool write, std::unique_ptr<IDevice>& device,
                      const std::string& sysRoot = kSysRoot);
