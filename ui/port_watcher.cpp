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

std::vector<std::string> SortedOnce(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
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
    m_timer.setInterval(std::max(intervalMs, 1));
    connect(&m_timer, &QTimer::timeout, this, &PortWatcher::Poll);
}

PortWatcher::~PortWatcher() { Stop(); }

void PortWatcher::Start() {
    Stop();
    // The sources first: a port that comes while the baseline is taken is
    // then noticed by the first event.
    m_kernelEvents = std::make_unique<UeventSocket>();
    const std::vector<std::string> named = CSerial::NamedPorts();
    if (!named.empty()) m_nodeEvents = std::make_unique<PortNodeWatch>(named);
    m_known = SortedOnce(m_lister());

    if (!m_kernelEvents->valid() || (m_nodeEvents && !m_nodeEvents->valid())) {
        m_kernelEvents.reset();
        m_nodeEvents.reset();
        m_timer.start();
        return;
    }
    m_kernelNotifier =
        std::make_unique<QSocketNotifier>(m_kernelEvents->fd(), QSocketNotifier::Read);
    connect(m_kernelNotifier.get(), &QSocketNotifier::activated, this,
            &PortWatcher::OnKernelEvents);
    if (m_nodeEvents) {
        m_nodeNotifier =
            std::make_unique<QSocketNotifier>(m_nodeEvents->fd(), QSocketNotifier::Read);
        connect(m_nodeNotifier.get(), &QSocketNotifier::activated, this,
                &PortWatcher::OnNodeEvents);
    }
}

void PortWatcher::Stop() {
    m_timer.stop();
    // Notifiers before the descriptors they watch.
    m_kernelNotifier.reset();
    m_nodeNotifier.reset();
    m_kernelEvents.reset();
    m_nodeEvents.reset();
}

void PortWatcher::OnKernelEvents() {
    if (m_kernelEvents) Look(m_kernelEvents->TakePortChanges());
}

void PortWatcher::OnNodeEvents() {
    if (m_nodeEvents) Look(m_nodeEvents->TakeNodeChanges());
}

void PortWatcher::Poll() { Look(PortChanges{true, {}}); }

void PortWatcher::Look(const PortChanges& changes) {
    if (!changes.look) return;
    std::vector<std::string> now = SortedOnce(m_lister());
    std::vector<std::string> removed;
    std::vector<std::string> arrived;
    std::set_difference(m_known.begin(), m_known.end(), now.begin(), now.end(),
                        std::back_inserter(removed));
    std::set_difference(now.begin(), now.end(), m_known.begin(), m_known.end(),
                        std::back_inserter(arrived));
    // Gone and back before this look: a connection to it is dead all the same.
    for (const std::string& port : SortedOnce(changes.removed)) {
        if (std::binary_search(m_known.begin(), m_known.end(), port) &&
            std::binary_search(now.begin(), now.end(), port)) {
            removed.push_back(port);
            arrived.push_back(port);
        }
    }
    m_known = std::move(now);
    std::sort(removed.begin(), removed.end());
    std::sort(arrived.begin(), arrived.end());
    for (const std::string& port : removed) BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, port);
    for (const std::string& port : arrived) BroadcastDeviceChange(DBT_DEVICEARRIVAL, port);
}
