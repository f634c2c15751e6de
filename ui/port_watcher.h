#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

// Device-change events, as a window receives them.
enum DeviceChangeEvent : unsigned {
    DBT_DEVICEARRIVAL = 0x8000,
    DBT_DEVICEREMOVECOMPLETE = 0x8004,
};
enum : int { DBT_DEVTYP_PORT = 3 };

struct DeviceBroadcast {
    int deviceType = DBT_DEVTYP_PORT;
    std::string portName;  // e.g. "ttyUSB0"
};

// A window that wants port arrivals and removals. Listeners are called on the
// UI thread, the one registered last first: a wait dialog that is shown stops
// and joins its worker before the main dialog closes the connection.
class DeviceChangeListener {
public:
    virtual ~DeviceChangeListener() = default;
    virtual bool OnDeviceChange(unsigned event, const DeviceBroadcast* data) = 0;
};

// RAII registration; UI thread only.
class DeviceChangeRegistration {
public:
    explicit DeviceChangeRegistration(DeviceChangeListener* listener);
    ~DeviceChangeRegistration();
    DeviceChangeRegistration(const DeviceChangeRegistration&) = delete;
    DeviceChangeRegistration& operator=(const DeviceChangeRegistration&) = delete;

private:
    DeviceChangeListener* m_listener;
};

// Hands one event to every registered listener, last registered first.
// A listener may register or unregister others while it runs.
void BroadcastDeviceChange(unsigned event, const std::string& portName);

// Compares the port list with the previous one (every intervalMs, at least
// once a second) and broadcasts a removal for every port that went away, then
// an arrival for every new one. The first list taken at Start() is the
// baseline and produces no events.
class PortWatcher : public QObject {
    Q_OBJECT
public:
    using PortLister = std::function<std::vector<std::string>()>;

    // lister: by default CSerial::EnumPorts.
    explicit PortWatcher(QObject* parent = nullptr, PortLister lister = {}, int intervalMs = 500);

    void Start();
    void Stop();
    // One comparison now (the timer calls this).
    void Poll();

private:
    PortLister m_lister;
    QTimer m_timer;
    std::vector<std::string> m_known;  // sorted
};
