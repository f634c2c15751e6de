// The port watcher against a fake kernel event source and real pseudo-terminals.
#include "ui/port_watcher.h"

#include <gtest/gtest.h>

#include <QTest>
#include <mutex>

#include "link/serial.h"
#include "tests/support/fake_uevents.h"
#include "tests/support/module_simulator.h"
#include "tests/support/pty.h"
#include "tests/ui/qt_test_app.h"

using namespace std::string_literals;
using Names = std::vector<std::string>;

namespace {

// "+name" for an arrival, "-name" for a removal, in the order delivered.
class Recorder : public DeviceChangeListener {
public:
    explicit Recorder(Names* seen, std::string tag = "") : m_seen(seen), m_tag(std::move(tag)) {}
    bool OnDeviceChange(unsigned event, const DeviceBroadcast* data) override {
        m_seen->push_back(m_tag + (event == DBT_DEVICEARRIVAL ? "+" : "-") + data->portName);
        return true;
    }

private:
    Names* m_seen;
    std::string m_tag;
    DeviceChangeRegistration m_registration{this};
};

class PortWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { TestApp(); }
    void TearDown() override { CSerial::SetNamedPorts({}), CSerial::SetPortLister({}); }

    PortWatcher::PortLister Lister() {
        return [this] { return ++m_listings, std::lock_guard(m_mutex), m_ports; };
    }
    void SetPorts(Names ports) {
        std::lock_guard lock(m_mutex);
        m_ports = std::move(ports);
    }
    bool WaitSeen(std::size_t count) {
        return QTest::qWaitFor([&] { return m_seen.size() >= count; }, 5000);
    }

    std::mutex m_mutex;
    Names m_ports, m_seen;
    int m_listings = 0;
};

}  // namespace

// Each row: the kernel's list after the event, the event, what is delivered.
// Only a tty's arrival or removal makes the watcher look at the list at all.
TEST_F(PortWatcherTest, KernelEventsDeliverArrivalsAndRemovals) {
    FakeUeventSource kernel;
    Recorder recorder(&m_seen);
    PortWatcher watcher(nullptr, Lister());
    SetPorts({"ttyS0"});
    watcher.Start();
    ASSERT_FALSE(watcher.IsPolling());
    struct Row {
        Names ports;
        Names datagrams;  // read in one go
        bool looks;       // whether the list is read again
        Names delivered;
    };
    const std::string fromUdev = "libudev\0\xfe\xed\xca\xfe"s + "ACTION=add\0SUBSYSTEM=tty\0"s;
    // clang-format off
    const Row rows[] = {
        {{"ttyS0", "ttyUSB0"}, {TtyUevent("add", "ttyUSB0", "usb-serial")}, false, {}},  // the converter, not yet its tty
        {{"ttyS0", "ttyUSB0"}, {TtyUevent("add", "ttyUSB0")}, true, {"+ttyUSB0"}},
        {{"ttyS0", "ttyUSB0", "ttyACM0"}, {TtyUevent("change", "ttyACM0")}, false, {}},
        {{"ttyS0", "ttyUSB0", "ttyACM0"}, {fromUdev}, false, {}},
        {{"ttyS0", "ttyUSB0", "ttyACM0"}, {TtyUevent("add", "ttyACM0")}, true, {"+ttyACM0"}},
        // Removals first, then arrivals, whatever one look finds.
        {{"ttyACM0", "ttyACM1", "ttyS0"}, {TtyUevent("remove", "ttyUSB0")}, true, {"-ttyUSB0", "+ttyACM1"}},
        {{"ttyACM0", "ttyACM1", "ttyS0"}, {TtyUevent("remove", "ttyUSB1")}, true, {}},  // nothing to tell
        // Pulled and plugged back before the look: it went all the same.
        {{"ttyACM0", "ttyACM1", "ttyS0"}, {TtyUevent("remove", "ttyACM1"), TtyUevent("add", "ttyACM1")},
         true, {"-ttyACM1", "+ttyACM1"}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.datagrams));
        m_seen.clear();
        SetPorts(row.ports);
        const int listings = m_listings;
        for (const std::string& datagram : row.datagrams) ASSERT_TRUE(kernel.Send(datagram));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !kernel.Pending(); }, 5000));
        ASSERT_TRUE(WaitSeen(row.delivered.size()));
        EXPECT_EQ(m_seen, row.delivered);
        EXPECT_EQ(m_listings - listings, row.looks ? 1 : 0);
    }
}

// A port named with "--port" that the kernel lists too: listed once, and no
// removal from a list that held it twice.
TEST_F(PortWatcherTest, PortNamedAndListedByTheKernelIsOnePort) {
    FakeUeventSource kernel;
    PseudoTerminal pty;
    CSerial::SetPortLister([&] { return Names{pty.portName(), "ttyS0"}; });
    CSerial::SetNamedPorts({pty.portName()});
    Names listed;
    ASSERT_TRUE(CSerial::EnumPorts(listed));
    EXPECT_EQ(listed, (Names{pty.portName(), "ttyS0"}));

    Recorder recorder(&m_seen);
    // The port list as the main dialog sees it, and a list with a name twice.
    const auto asTheDialogSees = [] {
        Names ports;
        return CSerial::EnumPorts(ports), ports;
    };
    const auto twice = [] { return Names{"ttyUSB0", "ttyUSB0"}; };
    const PortWatcher::PortLister listers[] = {asTheDialogSees, twice};
    for (const PortWatcher::PortLister& lister : listers) {
        int listings = 0;
        PortWatcher watcher(nullptr, [&] { return ++listings, lister(); });
        watcher.Start();
        ASSERT_TRUE(kernel.Send(TtyUevent("add", "ttyACM0")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !kernel.Pending(); }, 5000));
        EXPECT_EQ(listings, 2) << "the baseline, then one look";
        EXPECT_EQ(m_seen, Names{});
    }
}

// A named pseudo-terminal comes and goes with its master, noticed through the
// node's directory; no kernel event tells of it.
TEST_F(PortWatcherTest, NamedPseudoTerminalArrivesAndGoesWithTheSimulator) {
    FakeUeventSource kernel;  // silent
    // Any number the simulator's pty may get.
    Names named;
    for (int i = 0; i < 1024; ++i) named.push_back("pts/" + std::to_string(i));
    CSerial::SetPortLister([] { return Names{}; });
    CSerial::SetNamedPorts(named);
    Recorder recorder(&m_seen);
    PortWatcher watcher;
    watcher.Start();
    ASSERT_FALSE(watcher.IsPolling());

    // Other programs open and close ptys meanwhile, and may free the number
    // the simulator gets: only what follows its arrival counts.
    const auto seenFrom = [&](std::size_t from, const std::string& what) {
        return std::find(m_seen.begin() + std::min(from, m_seen.size()), m_seen.end(), what) !=
               m_seen.end();
    };
    auto sim = std::make_unique<ModuleSimulator>();
    const std::string port = sim->portName();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seenFrom(0, "+" + port); }, 5000)) << port;
    const std::size_t arrived = m_seen.size();
    sim->hangUp();  // the master closes: the node goes
    ASSERT_TRUE(QTest::qWaitFor([&] { return seenFrom(arrived, "-" + port); }, 5000)) << port;
}

// Where no event source opens, the list is compared on a timer instead.
TEST_F(PortWatcherTest, WithoutAnEventSourceTheListIsPolled) {
    for (const bool kernelSocket : {false, true}) {
        SCOPED_TRACE(kernelSocket ? "named node in no directory" : "no kernel socket");
        m_seen.clear();
        if (!kernelSocket) UeventSocket::SetOpener([] { return -1; });
        CSerial::SetNamedPorts(kernelSocket ? Names{"no-such-dir/ttyX"} : Names{});
        Recorder recorder(&m_seen);
        PortWatcher watcher(nullptr, Lister(), 20);
        SetPorts({});
        watcher.Start();
        UeventSocket::SetOpener({});
        EXPECT_TRUE(watcher.IsPolling());
        SetPorts({"ttyUSB3"});
        ASSERT_TRUE(WaitSeen(1));
        EXPECT_EQ(m_seen, Names{"+ttyUSB3"});
    }
}

// The window registered last (a wait dialog) hears of a change first.
TEST_F(PortWatcherTest, ListenerRegisteredLastIsToldFirst) {
    Recorder mainDialog(&m_seen, "main");
    {
        Recorder waitDialog(&m_seen, "wait");
        BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, "ttyUSB0");
    }
    BroadcastDeviceChange(DBT_DEVICEARRIVAL, "ttyUSB0");
    EXPECT_EQ(m_seen, (Names{"wait-ttyUSB0", "main-ttyUSB0", "main+ttyUSB0"}));
}
