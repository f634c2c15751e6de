#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/port_node_watch.h"
#include "link/uevent_socket.h"

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

// Notices serial ports coming and going, and broadcasts a removal for every
// port that went away, then an arrival for every new one. The kernel's device
// events and the directories of the named ports' device nodes say when to
// look at the port list again; nothing wakes the tool while nothing changes.
// Only where neither can be opened does it compare the list every intervalMs.
// The first list taken at Start() is the baseline and produces no events.
class PortWatcher : public QObject {
    Q_OBJECT
public:
    using PortLister = std::function<std::vector<std::string>()>;

    // lister: by default CSerial::EnumPorts, which the named ports are part of.
    explicit PortWatcher(QObject* parent = nullptr, PortLister lister = {}, int intervalMs = 500);
    ~PortWatcher() override;

    void Start();
    void Stop();
    // One comparison now.
    void Poll();
    // True while the list is compared on a timer: no event source could be opened.
    bool IsPolling() const { return m_timer.isActive(); }

private:
    void OnKernelEvents();
    void OnNodeEvents();
    void Look(const PortChanges& changes);

    PortLister m_lister;
    QTimer m_timer;
    std::vector<std::string> m_known;  // sorted, each name once
    std::unique_ptr<UeventSocket> m_kernelEvents;
    std::unique_ptr<PortNodeWatch> m_nodeEvents;
    std::unique_ptr<QSocketNotifier> m_kernelNotifier;
    std::unique_ptr<QSocketNotifier> m_nodeNotifier;
};
