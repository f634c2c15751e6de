// AT exchanges, query and set batches, opening and closing the port, the
// read time-out switch and the parameter-file lines.
#include <cstdio>
#include <cstring>
#include <memory>

#include "tests/link/com_device_fixture.h"

namespace comdev_test {
namespace {

using Fault = ModuleSimulator::Fault;

using ExchangeTest = ComDeviceTest;

struct ExchangeCase {
    const char* name;
    std::function<void(ModuleSimulator&)> arrange;
    bool expectedResult;
    bool expectRecvLog;
    const char* replyHolds;  // a text the caller's buffer must hold
};

TEST_F(ExchangeTest, OutcomesOfOneExchange)
{
    const ExchangeCase cases[] = {
        {"OK", [](ModuleSimulator&) {}, true, true, "+MOD:"},
        {"ERROR", [](ModuleSimulator& s) { s.setFault(Fault::Error, "AT+MOD?"); }, false, true,
         "\r\nERROR\r\n"},
        {"both markers",
         [](ModuleSimulator& s) {
             s.setGarbage("\r\nERROR\r\n\r\nOK\r\n");
             s.setFault(Fault::Garbage, "AT+MOD?");
         },
         true, true, "\r\nERROR\r\n"},
        {"neither marker", [](ModuleSimulator& s) { s.setFault(Fault::NoMarker, "AT+MOD?"); },
         false, false, "+MOD:"},
        {"split by a pause longer than the interval",
         [](ModuleSimulator& s) {
             s.setSplit(4, std::chrono::milliseconds(kIntervalMs * 4));
             s.setFault(Fault::Split, "AT+MOD?");
         },
         false, false, "\r\n+M"},
    };
    ASSERT_TRUE(OpenDevice());
    for (const ExchangeCase& row : cases) {
        sim.clearFaults();
        row.arrange(sim);
        // Everything the module sent for an earlier row has arrived before
        // this row starts, so the purge leaves nothing behind.
        const std::string sentBefore = sim.sentText();
        log.Clear();
        char reply[4096];
        EXPECT_EQ(device.Exchange("AT+MOD?\r\n", reply, sizeof reply), row.expectedResult)
            << row.name << ": reply [" << reply << "]";
        EXPECT_NE(std::strstr(reply, row.replyHolds), nullptr) << row.name << ": [" << reply << "]";
        EXPECT_EQ(log.Count(LOG_SEND, "AT+MOD?\r\n"), 1) << row.name;
        EXPECT_EQ(log.Count(LOG_RECV, reply), row.expectRecvLog ? 1 : 0) << row.name;
        EXPECT_EQ(log.CountKind(LOG_RECV), row.expectRecvLog ? 1 : 0) << row.name;
        sim.waitFor([&] { return sim.sentText().size() > sentBefore.size() + 4; }, 2000ms);
    }
}

// The late half of a split reply must not be taken for the next line's answer.
TEST_F(ExchangeTest, LateHalfOfSplitReplyIsPurged)
{
    ASSERT_TRUE(OpenDevice());
    sim.setValue("AT_MOD", "2");
    sim.setValue("AT_DBL", "1");
    sim.setSplit(4, std::chrono::milliseconds(kIntervalMs * 3));
    sim.setFault(Fault::Split, "AT+MOD?", 1);
    char reply[4096];
    EXPECT_FALSE(device.Exchange("AT+MOD?\r\n", reply, sizeof reply));
    ASSERT_TRUE(sim.waitFor([&] { return sim.sentText().find("OK") != std::string::npos; }, 2000ms));
    AtRequest request{"AT_DBL", "CONFIG_ID_DEBUG_LEVEL", "", ""};
    ASSERT_TRUE(device.Query(request));
    EXPECT_EQ(request.reply, "1");
}

// A reply longer than the buffer stops one byte short and stays a text; the
// bytes behind the buffer are never touched.
TEST_F(ExchangeTest, ReplyThatFillsTheBuffer)
{
    struct FillCase {
        std::size_t bufferSize;
        std::size_t replySize;
    };
    const FillCase cases[] = {{4096, 5000}, {16, 200}, {2, 50}};
    ASSERT_TRUE(OpenDevice());
    for (const FillCase& row : cases) {
        sim.clearFaults();
        sim.setOverLongSize(row.replySize);
        sim.setFault(Fault::OverLong, "AT+MOD?");
        std::vector<char> memory(row.bufferSize + 8, '#');
        EXPECT_FALSE(device.Exchange("AT+MOD?\r\n", memory.data(), row.bufferSize))
            << "buffer " << row.bufferSize;
        EXPECT_EQ(std::strlen(memory.data()), row.bufferSize - 1) << "buffer " << row.bufferSize;
        EXPECT_EQ(memory[row.bufferSize - 1], '\0') << "buffer " << row.bufferSize;
        EXPECT_EQ(std::string(memory.end() - 8, memory.end()), "########")
            << "buffer " << row.bufferSize;
        // Let the rest of the long reply arrive; the next exchange purges it.
        sim.waitFor([&] { return sim.sentText().size() >= row.replySize; }, 2000ms);
    }
}

TEST_F(ExchangeTest, ClosedPortLogsTheLineAndFails)
{
    char reply[64];
    EXPECT_FALSE(device.Exchange("AT\r\n", reply, sizeof reply));
    EXPECT_FALSE(device.ExchangeTimeout("+++", reply, sizeof reply, 500));
    EXPECT_FALSE(device.Reboot());
    EXPECT_EQ(log.Count(LOG_SEND, "AT\r\n"), 1);
    EXPECT_EQ(log.Count(LOG_SEND, "+++"), 1);
    EXPECT_EQ(log.Count(LOG_SEND, "AT+SRS\r\n"), 1);
}

TEST_F(ExchangeTest, DataIsLoggedAsTextNeverAsFormat)
{
    ASSERT_TRUE(OpenDevice());
    sim.setValue("AT_AKY", "100%s%n%d");
    AtRequest request{"AT_AKY", "CONFIG_ID_AKY", "", ""};
    ASSERT_TRUE(device.Query(request));
    EXPECT_EQ(request.reply, "100%s%n%d");
    EXPECT_EQ(log.Count(LOG_RECV, "\r\n+AKY:100%s%n%d\r\n\r\nOK\r\n"), 1);
}

TEST_F(ExchangeTest, CollectQueriesSkipsUnknownIdsAndKeepsByteOrder)
{
    const std::set<std::string> ids = {"CONFIG_ID_WORK_MODE", "CONFIG_ID_ADC", "CONFIG_ID_DT1",
                                       "CONFIG_ID_DM1", "CONFIG_ID_DEVICE_TYPE",
                                       "CONFIG_ID_LRWAN_DEVICE_TYPE", "NOT_AN_ID"};
    std::vector<AtRequest> requests(1);  // appended to, never cleared
    device.CollectQueries(ids, requests);
    std::vector<std::string> got;
    for (const AtRequest& r : requests) {
        got.push_back(r.configId + "/" + r.atKey + "/" + r.value + "/" + r.reply);
    }
    const std::vector<std::string> expected = {
        "///",
        "CONFIG_ID_DEVICE_TYPE/AT_YTP//",
        "CONFIG_ID_DM1/AT_DM1//",
        "CONFIG_ID_DT1/AT_DT1//",
        "CONFIG_ID_LRWAN_DEVICE_TYPE/AT_LRWAN_TYP//",
        "CONFIG_ID_WORK_MODE/AT_MOD//",
    };
    EXPECT_EQ(got, expected);

    std::vector<AtRequest> none;
    device.CollectQueries({}, none);
    EXPECT_TRUE(none.empty());
}

// Without the AT index every id lacks its AT row and is left out.
TEST_F(ExchangeTest, IdsWithoutAtRowAreLeftOut)
{
    CComDevice noAtTable;
    noAtTable.LoadConfigParams();
    std::vector<AtRequest> requests;
    noAtTable.CollectQueries({"CONFIG_ID_WORK_MODE"}, requests);
    noAtTable.CollectSets({{"CONFIG_ID_WORK_MODE", "1"}}, requests);
    EXPECT_TRUE(requests.empty());
    AtRequest query{"AT_MOD", "", "", ""};
    EXPECT_FALSE(noAtTable.Query(query));
    EXPECT_FALSE(noAtTable.RestoreFactory());
    EXPECT_TRUE(log.Lines().empty()) << "nothing is sent without a row";
}

TEST_F(ExchangeTest, CollectSetsKeepsEveryEntryInIdOrder)
{
    const ParamValueMap values = {{"CONFIG_ID_WORK_MODE", "1"},
                                  {"CONFIG_ID_DEBUG_LEVEL", ""},
                                  {"CONFIG_ID_ADC", "7"},
                                  {"CONFIG_ID_DEVICE_TYPE", "2"},
                                  {"CONFIG_ID_LRWAN_DEVICE_TYPE", "0"}};
    std::vector<AtRequest> requests;
    device.CollectSets(values, requests);
    std::vector<std::string> got;
    for (const AtRequest& r : requests) {
        got.push_back(r.configId + "/" + r.atKey + "/" + r.value);
    }
    const std::vector<std::string> expected = {
        "CONFIG_ID_DEBUG_LEVEL/AT_DBL/",
        "CONFIG_ID_DEVICE_TYPE/AT_YTP/2",
        "CONFIG_ID_LRWAN_DEVICE_TYPE/AT_LRWAN_TYP/0",
        "CONFIG_ID_WORK_MODE/AT_MOD/1",
    };
    EXPECT_EQ(got, expected);

    // Sent as they stand: an empty value gives a line without "=", which the
    // module refuses; both device-type keys reach the one "+TYP" value.
    ASSERT_TRUE(OpenDevice());
    std::vector<bool> results;
    for (const AtRequest& r : requests) {
        results.push_back(device.Set(r));
    }
    EXPECT_EQ(results, (std::vector<bool>{false, true, true, true}));
    EXPECT_EQ(sim.receivedLines(),
              (std::vector<std::string>{"AT+DBL\r\n", "AT+TYP=2\r\n", "AT+TYP=0\r\n",
                                        "AT+MOD=1\r\n"}));
    EXPECT_EQ(sim.value("+TYP"), "0");
    AtRequest standard{"AT_YTP", "", "", ""};
    AtRequest loraWan{"AT_LRWAN_TYP", "", "", ""};
    ASSERT_TRUE(device.Query(standard));
    ASSERT_TRUE(device.Query(loraWan));
    EXPECT_EQ(standard.reply, "0");
    EXPECT_EQ(loraWan.reply, "0");
}

TEST_F(ExchangeTest, QueryFailureLeavesReplyAndRestartLines)
{
    ASSERT_TRUE(OpenDevice());
    sim.setFault(Fault::Error, "AT+LFR?");
    AtRequest request{"AT_LFR", "CONFIG_ID_CARRIER_FREQUENCY", "", "before"};
    EXPECT_FALSE(device.Query(request));
    EXPECT_EQ(request.reply, "before");

    EXPECT_TRUE(device.Reboot());
    EXPECT_TRUE(device.RestoreFactory());
    EXPECT_EQ(sim.restartCount(), 1);
    EXPECT_EQ(sim.factoryCount(), 1);
    EXPECT_EQ(sim.countReceived("AT+SRS\r\n"), 1);
    EXPECT_EQ(sim.countReceived("AT+FAC\r\n"), 1);
}

TEST_F(ExchangeTest, OpenAndCloseStateRules)
{
    EXPECT_FALSE(device.Open("pts/does-not-exist", kDefaultPort));
    EXPECT_EQ(log.Count(LOG_INFO, "open pts/does-not-exist fail"), 1);
    EXPECT_TRUE(device.m_portName.empty());
    EXPECT_FALSE(device.m_serial.IsOpen());

    OpenAndIdentify();
    EXPECT_EQ(log.Count(LOG_INFO, "open " + sim.portName() + " success"), 1);
    EXPECT_EQ(device.m_portName, sim.portName());
    device.m_paramValues = {{"CONFIG_ID_WORK_MODE", "1"}};
    const auto supported = device.m_supportedParams;

    // Opening again replaces the handle only; a failed open keeps the name.
    ASSERT_TRUE(OpenDevice());
    EXPECT_EQ(device.m_supportedParams, supported);
    EXPECT_EQ(device.m_paramValues.size(), 1u);
    EXPECT_FALSE(device.m_versionText.empty());
    EXPECT_FALSE(device.Open("pts/does-not-exist", kDefaultPort));
    EXPECT_EQ(device.m_portName, sim.portName());

    device.m_gmrText = "gmr";
    device.Close();
    EXPECT_FALSE(device.m_serial.IsOpen());
    EXPECT_TRUE(device.m_supportedParams.empty());
    EXPECT_TRUE(device.m_paramValues.empty());
    EXPECT_TRUE(device.m_versionText.empty());
    EXPECT_TRUE(device.m_portName.empty());
    EXPECT_EQ(device.m_gmrText, "gmr");
    const product_version_id id = device.GetVersionId();
    EXPECT_EQ(id.model + "|" + id.band + "|" + id.flavour + "|" + id.version + "|" + id.suffix,
              "D||STANDARD||");
    EXPECT_EQ(log.Count(LOG_INFO, "close com port"), 1);

    device.Close();
    EXPECT_EQ(log.Count(LOG_INFO, "close com port"), 2) << "logged also when already closed";
}

// The record keeps stop bits before parity; CSerial takes them the other way
// round. (A pty keeps the rate and the stop bits, not parity.)
TEST_F(ExchangeTest, OpenPassesStopBitsAndParityByName)
{
    ASSERT_TRUE(device.Open(sim.portName(), ComPortSettings{19200, 8, 2, 0}));
    ASSERT_TRUE(sim.waitFor([&] { return sim.lineSettings().has_value(); }, 2000ms));
    const ModuleSimulator::LineSettings line = *sim.lineSettings();
    EXPECT_EQ(line.baud, 19200u);
    EXPECT_EQ(line.stopBits, 2u);
}

TEST(SetTimeoutsTest, SwitchesOnlyTheReadTotalTimeout)
{
    struct TimeoutCase {
        const char* name;
        const char* settings;  // null: no settings file
        std::uint32_t baud;
        std::uint32_t upgradeValue;
        std::uint32_t normalValue;
    };
    const TimeoutCase cases[] = {
        {"no settings file", nullptr, 115200, 300, 1000},
        {"no settings file, slow port", nullptr, 9600, 300, 1000},
        {"settings file",
         "[COM_TIMEOUT_PARAM]\nReadTotalTimeoutConstant=700\nReadIntervalTimeout=90\n"
         "[UPGRADE_COM_TIMEOUT_PARAM]\nReadTotalTimeoutConstant=120\n",
         115200, 120, 700},
    };
    LogCapture log;
    ModuleSimulator sim;
    for (const TimeoutCase& row : cases) {
        TempAppDirectory app;
        if (row.settings != nullptr) {
            app.WriteSettings(row.settings);
        }
        CComDevice device;
        EXPECT_FALSE(device.SetTimeouts(true)) << row.name << ": closed port";
        ASSERT_TRUE(device.Open(sim.portName(), ComPortSettings{row.baud, 8, 0, 0})) << row.name;
        const COMMTIMEOUTS opened = device.m_serial.GetTimeouts();
        ASSERT_TRUE(device.SetTimeouts(true)) << row.name;
        COMMTIMEOUTS now = device.m_serial.GetTimeouts();
        EXPECT_EQ(now.ReadTotalTimeoutConstant, row.upgradeValue) << row.name;
        EXPECT_EQ(now.ReadIntervalTimeout, opened.ReadIntervalTimeout) << row.name;
        EXPECT_EQ(now.WriteTotalTimeoutConstant, opened.WriteTotalTimeoutConstant) << row.name;
        ASSERT_TRUE(device.SetTimeouts(false)) << row.name;
        now = device.m_serial.GetTimeouts();
        EXPECT_EQ(now.ReadTotalTimeoutConstant, row.normalValue) << row.name;
    }
}

std::string LinesOf(const CComDevice& device, const ParamValueMap& values)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    device.WriteParamLines(values, file.get());
    std::string text(static_cast<std::size_t>(std::ftell(file.get())), '\0');
    std::rewind(file.get());
    const std::size_t got = std::fread(text.data(), 1, text.size(), file.get());
    text.resize(got);
    return text;
}

TEST_F(ExchangeTest, WriteParamLines)
{
    EXPECT_EQ(LinesOf(device, {}), "");
    const ParamValueMap values = {{"CONFIG_ID_WORK_MODE", "1"},
                                  {"CONFIG_ID_ADC", "5"},
                                  {"CONFIG_ID_DEVICE_ID", "13654"},
                                  {"CONFIG_ID_AKY", "50% %s"},
                                  {"CONFIG_ID_DEBUG_LEVEL", ""}};
    EXPECT_EQ(LinesOf(device, values), "+AKY:50% %s\r\n+DBL:\r\n+NID:13654\r\n+MOD:1\r\n");
}

} // namespace
} // namespace comdev_test

namespace comdev_test {
namespace {

// The adapter pulled: every operation fails at once instead of waiting out
// its time-outs on a dead port, and Close afterwards is clean.
TEST_F(ExchangeTest, PortGoneFailsEveryOperationPromptly)
{
    OpenAndIdentify();
    sim.hangUp();
    struct GoneCase {
        const char* name;
        std::function<bool()> op;
        std::chrono::milliseconds bound;
    };
    char reply[4096];
    AtRequest query{"AT_MOD", "CONFIG_ID_WORK_MODE", "", ""};
    int textId = 0;
    const GoneCase cases[] = {
        {"Exchange", [&] { return device.Exchange("AT\r\n", reply, sizeof reply); }, 100ms},
        {"ExchangeTimeout", [&] { return device.ExchangeTimeout("+++", reply, sizeof reply, 500); },
         100ms},
        {"Query", [&] { return device.Query(query); }, 100ms},
        // Only its two 100 ms pauses remain.
        {"EnterCommandMode", [&] { return device.EnterCommandMode(); }, 400ms},
        {"IdentifyVersion", [&] { return device.IdentifyVersion(textId); }, 700ms},
        {"QueryGmr", [&] { return device.QueryGmr(); }, 100ms},
        {"Reboot", [&] { return device.Reboot(); }, 100ms},
    };
    for (const GoneCase& row : cases) {
        const auto start = Clock::now();
        EXPECT_FALSE(row.op()) << row.name;
        EXPECT_LT(Clock::now() - start, row.bound) << row.name;
    }
    device.Close();
    EXPECT_FALSE(device.m_serial.IsOpen());
    EXPECT_TRUE(device.m_portName.empty());
}

} // namespace
} // namespace comdev_test
