// CComDevice's port, exchanges, batches, time-outs, receive thread, and a script.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <set>

#include "tests/link/com_device_fixture.h"

using namespace linktest;

using ExchangeTest = ComDeviceTest;

// The value holds format directives: data must reach the log as text.
TEST_F(ExchangeTest, OutcomesOfOneExchange) {
    sim.setGarbage("\r\nERROR\r\n\r\nOK\r\n");                    // both markers
    sim.setSplit(4, std::chrono::milliseconds(kIntervalMs * 4));  // a gap longer than the interval
    const std::tuple<const char*, Fault, bool, bool, const char*> rows[] = {
        // the reply; its fault; the result; logged as received; a text the reply holds
        {"OK", Fault::None, true, true, "\r\n+MOD:%s%n\r\n"},
        {"ERROR", Fault::Error, false, true, "\r\nERROR\r\n"},
        {"both markers", Fault::Garbage, true, true, "\r\nERROR\r\n"},
        {"no marker", Fault::NoMarker, false, false, "\r\n+MOD:%s%n\r\n"},
        {"split", Fault::Split, false, false, "\r\n+M"},
    };
    ASSERT_TRUE(OpenDevice());
    sim.setValue("AT_MOD", "%s%n");
    for (const auto& [name, fault, ok, logged, holds] : rows) {
        sim.setFault(fault, "AT+MOD?", 1);
        const std::size_t sentBefore = sim.sentText().size();
        log.Clear();
        char reply[4096];
        EXPECT_EQ(device.Exchange("AT+MOD?\r\n", reply, sizeof reply), ok) << name;
        EXPECT_NE(std::strstr(reply, holds), nullptr) << name << ": " << reply;
        EXPECT_EQ(log.Count(LOG_SEND, "AT+MOD?\r\n"), 1) << name;
        EXPECT_EQ(log.Count(LOG_RECV, reply), logged) << name;
        EXPECT_EQ(log.Count(LOG_RECV), logged) << name;
        sim.waitFor([&] { return sim.sentText().size() > sentBefore + 4; }, 2000ms);
    }
    // The late half of the split reply is purged, not taken for the next answer.
    sim.setValue("AT_DBL", "1");
    AtRequest query{"AT_DBL", "CONFIG_ID_DEBUG_LEVEL", "", ""};
    EXPECT_TRUE(device.Query(query));
    EXPECT_EQ(query.reply, "1");
    sim.setFault(Fault::Error, "AT+DBL?");
    EXPECT_FALSE(device.Query(query));
    EXPECT_EQ(query.reply, "1") << "a failed query leaves the reply";

    // A reply longer than the buffer: one byte short, zero-ended, nothing behind touched.
    for (const auto& [bufferSize, replySize] : {std::pair{4096, 5000}, {16, 200}, {2, 50}}) {
        sim.setOverLongSize(replySize);
        sim.setFault(Fault::OverLong, "AT+MOD?", 1);
        std::vector<char> memory(bufferSize + 8, '#');
        EXPECT_FALSE(device.Exchange("AT+MOD?\r\n", memory.data(), bufferSize)) << bufferSize;
        EXPECT_EQ(std::strlen(memory.data()), bufferSize - 1u) << bufferSize;
        EXPECT_EQ(std::string(memory.end() - 8, memory.end()), "########") << bufferSize;
        // The rest of the reply arrives before the next exchange purges it.
        sim.waitFor([&] { return sim.sentText().size() >= std::size_t(replySize); }, 2000ms);
        sim.clearRecord();
    }
}

std::string Describe(const std::vector<AtRequest>& requests) {
    std::string text;
    for (const AtRequest& r : requests) text += r.configId + "/" + r.atKey + "/" + r.value + " ";
    return text;
}

// Ids without a catalogue or AT row are left out, the rest come in id order.
TEST_F(ExchangeTest, BatchesAndParamLines) {
    const ParamValueMap values = {{"CONFIG_ID_WORK_MODE", "1"},
                                  {"CONFIG_ID_DEBUG_LEVEL", ""},
                                  {"CONFIG_ID_ADC", "7"},
                                  {"CONFIG_ID_DEVICE_TYPE", "2"},
                                  {"CONFIG_ID_LRWAN_DEVICE_TYPE", "0"},
                                  {"CONFIG_ID_AKY", "50% %s"},
                                  {"NOT_AN_ID", "1"}};
    std::set<std::string> ids;
    for (const auto& [id, value] : values) ids.insert(id);
    std::vector<AtRequest> requests(1);  // appended to, never cleared
    device.CollectQueries(ids, requests);
    EXPECT_EQ(
        Describe(requests),
        "// CONFIG_ID_AKY/AT_AKY/ CONFIG_ID_DEBUG_LEVEL/AT_DBL/ CONFIG_ID_DEVICE_TYPE/AT_YTP/ "
        "CONFIG_ID_LRWAN_DEVICE_TYPE/AT_LRWAN_TYP/ CONFIG_ID_WORK_MODE/AT_MOD/ ");
    requests.clear();
    device.CollectSets(values, requests);
    EXPECT_EQ(Describe(requests),
              "CONFIG_ID_AKY/AT_AKY/50% %s CONFIG_ID_DEBUG_LEVEL/AT_DBL/ "
              "CONFIG_ID_DEVICE_TYPE/AT_YTP/2 CONFIG_ID_LRWAN_DEVICE_TYPE/AT_LRWAN_TYP/0 "
              "CONFIG_ID_WORK_MODE/AT_MOD/1 ");
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* file = ::open_memstream(&text, &size);
    device.WriteParamLines(values, file);
    std::fclose(file);
    EXPECT_EQ(std::string(text, size), "+AKY:50% %s\r\n+DBL:\r\n+TYP:2\r\n+TYP:0\r\n+MOD:1\r\n");
    std::free(text);

    // Sent as they stand: "AT+DBL" (no "=") is refused; both device types set "+TYP".
    ASSERT_TRUE(OpenDevice());
    std::vector<bool> results;
    for (const AtRequest& r : requests) results.push_back(device.Set(r));
    EXPECT_EQ(results, (std::vector<bool>{true, false, true, true, true}));
    EXPECT_EQ(sim.receivedLines(),
              (std::vector<std::string>{"AT+AKY=50% %s\r\n", "AT+DBL\r\n", "AT+TYP=2\r\n",
                                        "AT+TYP=0\r\n", "AT+MOD=1\r\n"}));
    AtRequest standard{"AT_YTP", "", "", ""};
    ASSERT_TRUE(device.Query(standard));
    EXPECT_EQ(standard.reply, "0");

    CComDevice noAtTable;
    noAtTable.LoadConfigParams();
    requests.clear();
    noAtTable.CollectQueries(ids, requests);
    noAtTable.CollectSets(values, requests);
    EXPECT_TRUE(requests.empty()) << Describe(requests);
    EXPECT_FALSE(noAtTable.RestoreFactory()) << "nothing to send without its row";
}

TEST_F(ExchangeTest, OpenAndCloseStateRules) {
    int textId = 0;
    EXPECT_FALSE(device.IdentifyVersion(textId));
    EXPECT_EQ(textId, 55);
    EXPECT_TRUE(log.Lines().empty()) << "identifying on a closed port sends nothing";
    char reply[64];
    EXPECT_FALSE(device.Exchange("AT\r\n", reply, sizeof reply));
    EXPECT_EQ(log.Count(LOG_SEND, "AT\r\n"), 1) << "an exchange logs its line all the same";
    EXPECT_FALSE(device.Open("pts/does-not-exist", kSimPortSettings));
    EXPECT_EQ(log.Count(LOG_INFO, "open pts/does-not-exist fail"), 1);
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_EQ(log.Lines().back(),
              std::pair(int(LOG_ERROR), std::string("没有这个串口：它已被拔出，或名称有误")))
        << "the reason follows the failure, in the interface language (Chinese until settled)";
    EXPECT_TRUE(device.m_portName.empty());

    // The record keeps stop bits before parity; CSerial takes them the other way round.
    ASSERT_TRUE(device.Open(sim.portName(), ComPortSettings{19200, 8, 2, 0}));
    ASSERT_TRUE(sim.waitFor([&] { return sim.lineSettings().has_value(); }, 2000ms));
    EXPECT_EQ(sim.lineSettings()->baud, 19200u);
    EXPECT_EQ(sim.lineSettings()->stopBits, 2u);
    EXPECT_EQ(log.Count(LOG_INFO, "open " + sim.portName() + " success"), 1);
    ASSERT_TRUE(device.IdentifyVersion(textId));
    device.m_paramValues = {{"CONFIG_ID_WORK_MODE", "1"}};
    const auto supported = device.m_supportedParams;

    // Opening again replaces the handle only; a failed open keeps the name.
    ASSERT_TRUE(OpenDevice());
    EXPECT_EQ(device.m_supportedParams, supported);
    EXPECT_EQ(device.m_paramValues.size(), 1u);
    EXPECT_FALSE(device.Open("pts/does-not-exist", kSimPortSettings));
    EXPECT_EQ(device.m_portName, sim.portName());

    device.Close();
    EXPECT_FALSE(device.m_serial.IsOpen());
    EXPECT_TRUE(device.m_supportedParams.empty() && device.m_paramValues.empty());
    EXPECT_TRUE(device.m_versionText.empty() && device.m_portName.empty());
    device.Close();
    EXPECT_EQ(log.Count(LOG_INFO, "close com port"), 2) << "logged also when already closed";
}

// Open takes the file's time-outs, the read total raised below 115200 baud up to
// 10000 ms; SetTimeouts switches the read total alone, to upgrade or normal.
TEST(ExchangeSetTimeouts, OpenTakesTheFileSetTimeoutsSwitchesTheReadTotal) {
    const std::string normal = "[COM_TIMEOUT_PARAM]\nReadTotalTimeoutConstant=20000\n";
    const std::string mixed =
        "[COM_TIMEOUT_PARAM]\nReadIntervalTimeout=90\nWriteTotalTimeoutConstant=70\n"
        "[UPGRADE_COM_TIMEOUT_PARAM]\nReadTotalTimeoutConstant=120\n";
    const std::tuple<std::string, std::uint32_t, std::vector<std::uint32_t>> rows[] = {
        // file; baud; opened: interval, write, read total; upgrade: read total, interval; normal
        {"", 9600, {150, 300, 1853, 300, 150, 1000}},
        {"", 600, {150, 300, 10000, 300, 150, 1000}},
        {"", 115200, {150, 300, 1000, 300, 150, 1000}},
        {normal, 57600, {150, 300, 10000, 300, 150, 20000}},
        {normal, 115200, {150, 300, 20000, 300, 150, 20000}},
        {mixed, 115200, {90, 70, 1000, 120, 90, 1000}},
    };
    ModuleSimulator sim;
    for (const auto& [settings, baud, expected] : rows) {
        TempAppFolder app{settings};
        CComDevice device;
        EXPECT_FALSE(device.SetTimeouts(true)) << "closed port";
        ASSERT_TRUE(device.Open(sim.portName(), ComPortSettings{baud, 8, 0, 0}));
        COMMTIMEOUTS t = device.m_serial.GetTimeouts();
        std::vector got{t.ReadIntervalTimeout, t.WriteTotalTimeoutConstant,
                        t.ReadTotalTimeoutConstant};
        EXPECT_TRUE(device.SetTimeouts(true));
        t = device.m_serial.GetTimeouts();
        got.insert(got.end(), {t.ReadTotalTimeoutConstant, t.ReadIntervalTimeout});
        EXPECT_TRUE(device.SetTimeouts(false));
        got.push_back(device.m_serial.GetTimeouts().ReadTotalTimeoutConstant);
        EXPECT_EQ(got, expected) << ::testing::PrintToString(settings) << " at " << baud;
    }
}

using ComDeviceScript = ComDeviceTest;

ParamValueMap LoadAll(CComDevice& device) {
    std::vector<AtRequest> requests;
    device.CollectQueries(device.m_supportedParams, requests);
    ParamValueMap values;
    for (AtRequest& request : requests) {
        if (device.Query(request)) values[request.configId] = request.reply;
    }
    return values;
}

// The link alone, as a user's script uses it, with a STANDARD V2 module in command mode.
TEST_F(ComDeviceScript, LoadChangeSaveRestartRestore) {
    ModuleSimulator::Identity v2;
    v2.version = "V2";
    sim.setIdentity(v2);
    sim.setRequireCommandMode(true);
    ASSERT_TRUE(OpenDevice());
    ASSERT_TRUE(device.EnterCommandMode());
    int textId = 0;
    ASSERT_TRUE(device.IdentifyVersion(textId));
    const ParamValueMap loaded = LoadAll(device);
    ASSERT_EQ(loaded.size(), 29u);
    for (const auto& [id, value] : loaded) {
        EXPECT_EQ(value, sim.value(device.FindConfigParam(id)->atKey)) << id;
    }

    std::vector<AtRequest> sets;
    device.CollectSets({{"CONFIG_ID_CARRIER_FREQUENCY", "433"},
                        {"CONFIG_ID_DEVICE_ID", "4242"},
                        {"CONFIG_ID_WORK_MODE", "2"}},
                       sets);
    ParamValueMap expected = loaded;
    for (const AtRequest& r : sets) {
        EXPECT_TRUE(device.Set(r)) << r.configId;
        expected[r.configId] = r.value;
    }
    char reply[100];
    EXPECT_TRUE(device.Exchange("AT+SAV\r\n", reply, sizeof reply));
    EXPECT_EQ(LoadAll(device), expected) << "the three changed, nothing else";

    EXPECT_TRUE(device.Reboot());  // which leaves command mode
    ASSERT_TRUE(device.EnterCommandMode());
    EXPECT_EQ(LoadAll(device), expected) << "saved values survive a restart";
    EXPECT_TRUE(device.RestoreFactory());
    EXPECT_EQ(LoadAll(device), loaded);
    EXPECT_EQ(sim.restartCount(), 1);
}

class ReceiveTest : public ComDeviceTest {
protected:
    ReceiveCallback Callback() {
        return [this](char* data, unsigned long length, void* user) {
            std::lock_guard lock(mutex_);
            bytes_.append(data, length);
            user_ = user;
        };
    }
    std::pair<std::string, void*> Received() {
        std::lock_guard lock(mutex_);
        return {bytes_, user_};
    }

    std::mutex mutex_;
    std::string bytes_;
    void* user_ = nullptr;
};

TEST_F(ReceiveTest, StartAndStopRules) {
    EXPECT_FALSE(device.StartEventThread(Callback(), nullptr)) << "closed port";
    EXPECT_TRUE(log.Lines().empty());
    EXPECT_TRUE(device.StopEventThread()) << "no thread";
    ASSERT_TRUE(OpenDevice());
    ASSERT_TRUE(device.StartEventThread(Callback(), nullptr));
    EXPECT_FALSE(device.StartEventThread(Callback(), nullptr));
    EXPECT_EQ(log.Count(LOG_ERROR, "event thread is running"), 1);
    EXPECT_TRUE(device.StopEventThread());
    EXPECT_TRUE(device.StopEventThread());
    EXPECT_TRUE(device.StartEventThread(Callback(), nullptr)) << "after a stop";
    const Clock::time_point start = Clock::now();
    device.Close();
    EXPECT_LT(Clock::now() - start, 300ms) << "Close ends the wait: the join sits out no pass";
    EXPECT_FALSE(device.StartEventThread(Callback(), nullptr));
}

// Written as the command window writes (no purge), answers come whole and in order.
TEST_F(ReceiveTest, BytesArriveInOrder) {
    ASSERT_TRUE(OpenDevice());
    int marker = 0;
    ASSERT_TRUE(device.StartEventThread(Callback(), &marker));
    for (int i = 0; i < 60; ++i) {
        sim.setValue("AT_NID", std::to_string(1000 + i));
        ASSERT_EQ(device.m_serial.Write("AT+NID?\r\n", 9), 9u);
        ASSERT_TRUE(sim.waitFor([&] { return sim.sent().size() == i + 1u; }, 2000ms));
    }
    EXPECT_TRUE(
        sim.waitFor([&] { return Received().first.size() >= sim.sentText().size(); }, 2000ms));
    EXPECT_EQ(Received(), std::make_pair(sim.sentText(), static_cast<void*>(&marker)));
    EXPECT_TRUE(device.StopEventThread());
}

// Serial tools are known to spin on hang-up events and zero-byte reads; this loop ends.
TEST_F(ReceiveTest, UnplugEndsTheLoopWithoutSpinning) {
    ASSERT_TRUE(OpenDevice());
    ASSERT_TRUE(device.StartEventThread(Callback(), nullptr));
    sim.hangUp();
    const std::clock_t cpuBefore = std::clock();
    const Clock::time_point wallBefore = Clock::now();
    std::this_thread::sleep_for(700ms);  // a measuring window longer than a 500 ms pass
    const double cpuMs = double(std::clock() - cpuBefore) * 1000 / CLOCKS_PER_SEC;
    EXPECT_LT(cpuMs, MsSince(wallBefore) / 10.0) << "ms of CPU in " << MsSince(wallBefore);
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(device.StopEventThread());
    EXPECT_LT(Clock::now() - start, 100ms) << "the loop had ended already";
    device.Close();
    EXPECT_FALSE(device.m_serial.IsOpen());
}
