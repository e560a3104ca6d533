#include "CUdevDeviceEvents.h"

#include <QSocketNotifier>

#include <cstring>
#include <libudev.h>
#include <sys/sysmacros.h>

CUdevDeviceEvents::CUdevDeviceEvents(QObject* parent) : CDeviceEvents(parent)
{
    udev_ = udev_new();
    if (udev_ == nullptr)
        return;
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr)
        return;
    if (udev_monitor_filter_add_match_subsystem_devtype(monitor_, "block", "disk") < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0)
        return;
    const int fd = udev_monitor_get_fd(monitor_);
    if (fd < 0)
        return;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
}

CUdevDeviceEvents::~CUdevDeviceEvents()
{
    delete notifier_;
    if (monitor_ != nullptr)
        udev_monitor_unref(monitor_);
    if (udev_ != nullptr)
        udev_unref(udev_);
}

int CUdevDeviceEvents::EventCode(const char* action, const char* mediaChange, const char* size)
{
    if (action == nullptr)
        return kDeviceNodesChanged;
    if (std::strcmp(action, "add") == 0)
        return kDeviceArrival;
    if (std::strcmp(action, "remove") == 0)
        return kDeviceRemoveComplete;
    if (std::strcmp(action, "change") == 0 && mediaChange != nullptr && std::strcmp(mediaChange, "1") == 0) {
        const bool present = size != nullptr && size[0] != '\0' && std::strcmp(size, "0") != 0;
        return present ? kDeviceArrival : kDeviceRemoveComplete;
    }
    return kDeviceNodesChanged;
}

void CUdevDeviceEvents::OnReadable()
{
    // The socket does not block: take every event that is waiting.
    while (udev_device* dev = udev_monitor_receive_device(monitor_)) {
        const int code = EventCode(udev_device_get_action(dev),
                                   udev_device_get_property_value(dev, "DISK_MEDIA_CHANGE"),
                                   udev_device_get_sysattr_value(dev, "size"));
        const dev_t number = udev_device_get_devnum(dev);
        const int data = static_cast<int>(major(number) * 256u + minor(number));
        udev_device_unref(dev);
        Send(code, data);
    }
}
