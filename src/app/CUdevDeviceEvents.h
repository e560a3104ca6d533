// Device-change events from udev: a monitor of whole block disks whose
// socket is watched by the Qt event loop. "add" is an arrival, "remove" a
// removal; a card reader keeps its disk and reports an inserted or pulled
// card as "change" with a media change, an arrival when a medium is
// present (its size is not 0) and a removal otherwise. Without udev (no
// daemon, a container) no event ever comes; nothing fails.
#pragma once
#include "CDeviceEvents.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

class CUdevDeviceEvents : public CDeviceEvents {
    Q_OBJECT

public:
    explicit CUdevDeviceEvents(QObject* parent = nullptr);
    ~CUdevDeviceEvents() override;

    // True when the monitor runs.
    bool Listening() const { return notifier_ != nullptr; }

    // The event code of a udev event: `action` as udev gives it,
    // `mediaChange` the DISK_MEDIA_CHANGE property and `size` the disk's
    // size attribute in sectors (either may be null).
    static int EventCode(const char* action, const char* mediaChange, const char* size);

private:
    void OnReadable();

    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
};
