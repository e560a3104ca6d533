// The source of device-change events that the main window follows: a disk
// or a card medium arriving (event 0x8000) or removed (0x8004), and other
// device events that are only logged. The window listens to DeviceChange;
// udev feeds the real one (CUdevDeviceEvents), tests call Send.
#pragma once
#include <QObject>

inline constexpr int kDeviceArrival = 0x8000;
inline constexpr int kDeviceRemoveComplete = 0x8004;
// Some other change of the device nodes.
inline constexpr int kDeviceNodesChanged = 0x0007;

class CDeviceEvents : public QObject {
    Q_OBJECT

public:
    explicit CDeviceEvents(QObject* parent = nullptr) : QObject(parent) {}

    // Reports an event to the listeners.
    void Send(int event, int data) { emit DeviceChange(event, data); }

signals:
    // `data` names the device (its number), 0 when unknown.
    void DeviceChange(int event, int data);
};
