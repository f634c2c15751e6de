#include "ui/port_watcher.h"

#include <algorithm>
#include <iterator>

#include "link/serial.h"

namespace {

// Most recent last; delivery walks it backwards.
std::vector<DeviceChangeListener*>& Listeners() {
    static std::vector<DeviceChangeListener*> listeners;
    return listeners;
}

std::vector<std::string> SystemPorts() {
    std::vector<std::string> ports;
    CSerial::EnumPorts(ports);
    return ports;
}

}  // namespace

DeviceChangeRegistration::DeviceChangeRegistration(DeviceChangeListener* listener)
    : m_listener(listener) {
    Listeners().push_back(listener);
}

DeviceChangeRegistration::~DeviceChangeRegistration() {
    auto& listeners = Listeners();
    listeners.erase(std::remove(listeners.begin(), listeners.end(), m_listener), listeners.end());
}

void BroadcastDeviceChange(unsigned event, const std::string& portName) {
    DeviceBroadcast data;
    data.deviceType = DBT_DEVTYP_PORT;
    data.portName = portName;
    // A listener may end its dialog (and unregister) while it handles the
    // event, so walk a snapshot and skip listeners that have gone meanwhile.
    const std::vector<DeviceChangeListener*> snapshot = Listeners();
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        const auto& current = Listeners();
        if (std::find(current.begin(), current.end(), *it) == current.end()) continue;
        (*it)->OnDeviceChange(event, &data);
    }
}

PortWatcher::PortWatcher(QObject* parent, PortLister lister, int intervalMs)
    : QObject(parent), m_lister(lister ? std::move(lister) : PortLister(SystemPorts)) {
    m_timer.setInterval(std::clamp(intervalMs, 1, 1000));
    connect(&m_timer, &QTimer::timeout, this, &PortWatcher::Poll);
}

void PortWatcher::Start() {
    m_known = m_lister();
    std::sort(m_known.begin(), m_known.end());
    m_timer.start();
}

void PortWatcher::Stop() { m_timer.stop(); }

void PortWatcher::Poll() {
    std::vector<std::string> now = m_lister();
    std::sort(now.begin(), now.end());
    now.erase(std::unique(now.begin(), now.end()), now.end());
    std::vector<std::string> removed;
    std::vector<std::string> arrived;
    std::set_difference(m_known.begin(), m_known.end(), now.begin(), now.end(),
                        std::back_inserter(removed));
    std::set_difference(now.begin(), now.end(), m_known.begin(), m_known.end(),
                        std::back_inserter(arrived));
    m_known = std::move(now);
    for (const std::string& port : removed) BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, port);
    for (const std::string& port : arrived) BroadcastDeviceChange(DBT_DEVICEARRIVAL, port);
}
