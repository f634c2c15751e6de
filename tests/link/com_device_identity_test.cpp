// Identification, the supported set an identity selects, and command mode.
#include <cctype>
#include <set>
#include <sstream>

#include "tests/link/com_device_fixture.h"

using namespace linktest;

using Ids = std::set<std::string>;

Ids Named(const std::string& shortNames) {
    Ids ids;
    std::istringstream in(shortNames);
    for (std::string name; in >> name;) ids.insert("CONFIG_ID_" + name);
    return ids;
}
Ids operator+(Ids ids, const Ids& more) {
    ids.insert(more.begin(), more.end());
    return ids;
}
Ids operator-(Ids ids, const Ids& gone) {
    for (const std::string& id : gone) ids.erase(id);
    return ids;
}
const Ids kCommon = Named(
    "WORK_MODE DEBUG_LEVEL SLEEP_MODE PREMABLE_TIME SLEEP_TIME WAKEUP_TIME BAUDRATE PARITY "
    "STOPBITS FRAME_INETRVAL");
const Ids kRadio =
    Named("DEVICE_ID TRANSPORT_ADDRESS CARRIER_FREQUENCY POWER SKY_RATE DATA_DISPLAY_MODE");
const Ids kRelayV1 = kRadio + Named("RELAY_ADDRESS SEND_COMPLETE");
const Ids kRelayV2 = kRadio + Named("ENTWORK_ID DEVICE_TYPE SEND_COMPLETE");
const Ids kIo = Named("DM1 DM2 DM3 DM4 DM5 DT1 DT2 DT3 DT4 DT5");
const Ids kClaa =
    Named("DEI AEI AKY CLASS CFM DATA_DISPLAY_MODE SEND_COMPLETE CLAA_MODE AUTO_JOIN HEART_PERIOD");
const Ids kLoraWan = kRadio + Named("DEI AEI AKY CLASS CFM SEND_COMPLETE AUTO_JOIN HEART_PERIOD") +
                     Named("ENTWORK_ID LRWAN_DEVICE_TYPE");
const Ids kSleep = Named("WAKEUP_TIME PREMABLE_TIME SLEEP_TIME");
const Ids kPower = Named("POWER");

using IdentityTest = ComDeviceTest;

TEST_F(IdentityTest, SupportedSetOfEveryIdentity) {
    const std::pair<std::string, Ids> rows[] = {
        {"K7R40D_STANDARD_V1.3", kCommon + kRelayV1 + kIo},
        {"K7R40D-E_STANDARD_V1.3", kCommon + kRelayV1 + kIo - kPower},
        {"K7R40D-N_STANDARD_V1.3", kCommon + kRelayV1 + kIo},
        {"K7R40D_STANDARD_V2.3", kCommon + kRelayV2 + kIo},
        {"k7r40t_std_v2.1", kCommon + kRelayV2 + kIo},  // a T with STD firmware is a D STANDARD
        {"K7R40D_LRWAN_V1.3", kCommon + kLoraWan - kSleep},
        {"K7R40D-E_LRWAN_V2.3", kCommon + kLoraWan - kSleep - kPower},
        {"K7R40D_CLAA_LRWAN_V1.3", kCommon + kLoraWan + kClaa - kSleep},
        {"K7R40D_CLAA_V1.3", kCommon + kClaa - kSleep},
        {"K7R40S_STANDARD_V1.3", kCommon + kRelayV1},
        {"K7R40S_STANDARD_V2.3", kCommon + kRelayV2},
        {"K7R40S-E_STANDARD_V1.3", kCommon + kRelayV1},
        {"K7R40S_LRWAN_V1.3", kCommon},
        {"K7R40S_CLAA_V2.3", kCommon},
    };
    ASSERT_TRUE(OpenDevice());
    for (const auto& [version, expected] : rows) {
        sim.setVersionReply(version);
        int textId = 0;
        ASSERT_TRUE(device.IdentifyVersion(textId)) << version;
        EXPECT_EQ(device.m_supportedParams, expected) << version;
        std::string upper = version;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(device.m_versionText, upper) << "kept upper-cased";
    }
}

// A failed identification leaves the earlier module's identity, set and text.
TEST_F(IdentityTest, FailureKeepsEarlierModule) {
    OpenAndIdentify();
    const Ids before = device.m_supportedParams;
    const std::string textBefore = device.m_versionText;
    const std::tuple<Fault, const char*, const char*, int, int, int> rows[] = {
        // fault, where, version text; text id, "+++" and "AT+VER" sent
        {Fault::Silence, "+++", "K7R40S_LRWAN_V2.3", 55, 6, 0},  // command mode tried twice
        {Fault::Silence, "AT+VER", "K7R40S_LRWAN_V2.3", 55, 1, 1},
        {Fault::Error, "AT+VER", "K7R40S_LRWAN_V2.3", 55, 1, 1},
        {Fault::None, "", "K7R40D_STANDARD_V3", 54, 1, 1},
        {Fault::None, "", "HELLO", 54, 1, 1},
    };
    for (const auto& [fault, where, version, textIdExpected, plusSent, versionSent] : rows) {
        const std::string name = std::string(where) + " " + version;
        sim.clearFaults();
        sim.setFault(fault, where);
        sim.setVersionReply(version);
        sim.clearRecord();
        int textId = 0;
        EXPECT_FALSE(device.IdentifyVersion(textId)) << name;
        EXPECT_EQ(textId, textIdExpected) << name;
        EXPECT_EQ(sim.countReceived("+++"), plusSent) << name;
        EXPECT_EQ(sim.countReceived("AT+VER\r\n"), versionSent) << name;
        EXPECT_EQ(device.m_supportedParams, before) << name;
        EXPECT_EQ(device.m_versionText, textBefore) << name;
        EXPECT_EQ(device.GetVersionId().model + device.GetVersionId().version, "DV1") << name;
    }
    EXPECT_EQ(log.Count(LOG_ERROR), 0) << "the caller reports the failure, not the device";
}

std::string Fields(const product_version_id& i) {
    return i.model + "," + i.band + "," + i.flavour + "," + i.version + "," + i.suffix;
}

// Close forgets the band and version of the module but keeps the rest of its
// identity and its "AT_GMR" text.
TEST_F(IdentityTest, CloseKeepsPartOfTheIdentityAndTheGmrText) {
    sim.setVersionReply("K7R40D-E_CLAA_LRWAN_V2.3");
    sim.setGmrText("CLAA-GW 2.0.7 %s");
    OpenAndIdentify();
    ASSERT_TRUE(device.QueryGmr());
    sim.setFault(Fault::Error, "AT+GMR");
    EXPECT_FALSE(device.QueryGmr());
    ASSERT_EQ(Fields(device.GetVersionId()), "D,E,LRWAN,V2,CLAA");
    device.m_paramValues["CONFIG_ID_WORK_MODE"] = "1";
    device.Close();
    EXPECT_EQ(Fields(device.GetVersionId()), "D,,LRWAN,,CLAA");
    EXPECT_EQ(device.m_gmrText, "CLAA-GW 2.0.7 %s") << "kept by a failed query and by Close";
    EXPECT_EQ(device.m_versionText + device.m_portName, "");
    EXPECT_TRUE(device.m_supportedParams.empty());
    EXPECT_TRUE(device.m_paramValues.empty());
}

// Three "+++" of 500 ms each, 100 ms apart; the port's 1000 ms must not cut them short.
TEST_F(IdentityTest, CommandModeTriesThreeTimes) {
    app.WriteSettings("[COM_TIMEOUT_PARAM]\r\nReadTotalTimeoutConstant=1000\r\n");
    ASSERT_TRUE(OpenDevice());
    sim.ackCommandModeAfter(2);
    EXPECT_TRUE(device.EnterCommandMode());
    EXPECT_EQ(sim.countReceived("+++"), 3);

    sim.clearRecord();
    sim.setFault(Fault::Silence, "+++");
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(device.EnterCommandMode());
    EXPECT_GE(Clock::now() - start, 1690ms);
    std::vector<Clock::time_point> sent;
    for (const ModuleSimulator::Received& unit : sim.received()) sent.push_back(unit.at);
    ASSERT_EQ(sent.size(), 3u);
    for (std::size_t i = 1; i < sent.size(); ++i) {
        EXPECT_GE(sent[i] - sent[i - 1], 590ms) << "try " << i + 1;
        EXPECT_LT(sent[i] - sent[i - 1], 900ms) << "try " << i + 1;
    }
}
