// Identification of a module, the supported set its identity selects, and
// command mode.
#include <algorithm>
#include <initializer_list>
#include <set>
#include <sstream>

#include "tests/link/com_device_fixture.h"

namespace comdev_test {
namespace {

using Ids = std::set<std::string>;

Ids Named(std::initializer_list<const char*> shortNames)
{
    Ids ids;
    for (const char* name : shortNames) {
        ids.insert(std::string("CONFIG_ID_") + name);
    }
    return ids;
}

Ids Union(std::initializer_list<Ids> parts)
{
    Ids all;
    for (const Ids& part : parts) {
        all.insert(part.begin(), part.end());
    }
    return all;
}

Ids Minus(Ids ids, const Ids& gone)
{
    for (const std::string& id : gone) {
        ids.erase(id);
    }
    return ids;
}

std::string Describe(const Ids& ids)
{
    std::ostringstream out;
    for (const std::string& id : ids) {
        out << id.substr(10) << ' ';
    }
    return out.str();
}

const Ids kCommon = Named({"WORK_MODE", "DEBUG_LEVEL", "SLEEP_MODE", "PREMABLE_TIME",
                           "SLEEP_TIME", "WAKEUP_TIME", "BAUDRATE", "PARITY", "STOPBITS",
                           "FRAME_INETRVAL"});
const Ids kRelayV1 = Named({"RELAY_ADDRESS", "DEVICE_ID", "TRANSPORT_ADDRESS",
                            "CARRIER_FREQUENCY", "POWER", "SKY_RATE", "DATA_DISPLAY_MODE",
                            "SEND_COMPLETE"});
const Ids kRelayV2 = Named({"ENTWORK_ID", "DEVICE_TYPE", "DEVICE_ID", "TRANSPORT_ADDRESS",
                            "CARRIER_FREQUENCY", "POWER", "SKY_RATE", "DATA_DISPLAY_MODE",
                            "SEND_COMPLETE"});
const Ids kIo = Named({"DM1", "DM2", "DM3", "DM4", "DM5", "DT1", "DT2", "DT3", "DT4", "DT5"});
const Ids kLoraWan = Named({"DEI", "AEI", "AKY", "CLASS", "CFM", "DATA_DISPLAY_MODE",
                            "SEND_COMPLETE", "AUTO_JOIN", "HEART_PERIOD", "ENTWORK_ID",
                            "LRWAN_DEVICE_TYPE", "DEVICE_ID", "TRANSPORT_ADDRESS", "SKY_RATE",
                            "POWER", "CARRIER_FREQUENCY"});
const Ids kClaa = Named({"DEI", "AEI", "AKY", "CLASS", "CFM", "DATA_DISPLAY_MODE",
                         "SEND_COMPLETE", "CLAA_MODE", "AUTO_JOIN", "HEART_PERIOD"});
const Ids kSleepTiming = Named({"WAKEUP_TIME", "PREMABLE_TIME", "SLEEP_TIME"});
const Ids kPower = Named({"POWER"});

struct SupportedCase {
    const char* name;
    ModuleSimulator::Identity identity;
    Ids expected;
    std::size_t count;  // a second, independent statement of the size
};

const std::vector<SupportedCase>& SupportedCases()
{
    static const std::vector<SupportedCase> cases = {
        {"D STANDARD V1", MakeIdentity("D", "", "STANDARD", "V1"),
         Union({kCommon, kRelayV1, kIo}), 28},
        {"D-E STANDARD V1", MakeIdentity("D", "E", "STANDARD", "V1"),
         Minus(Union({kCommon, kRelayV1, kIo}), kPower), 27},
        {"D-N STANDARD V1", MakeIdentity("D", "N", "STANDARD", "V1"),
         Union({kCommon, kRelayV1, kIo}), 28},
        {"D STANDARD V2", MakeIdentity("D", "", "STANDARD", "V2"),
         Union({kCommon, kRelayV2, kIo}), 29},
        {"T STD V2 (as D STANDARD)", MakeIdentity("T", "", "STD", "V2"),
         Union({kCommon, kRelayV2, kIo}), 29},
        {"D LRWAN V1", MakeIdentity("D", "", "LRWAN", "V1"),
         Minus(Union({kCommon, kLoraWan}), kSleepTiming), 23},
        {"D-E LRWAN V2", MakeIdentity("D", "E", "LRWAN", "V2"),
         Minus(Union({kCommon, kLoraWan}), Union({kSleepTiming, kPower})), 22},
        {"D CLAA_LRWAN V1", MakeIdentity("D", "", "LRWAN", "V1", "CLAA"),
         Minus(Union({kCommon, kLoraWan, kClaa}), kSleepTiming), 24},
        {"D CLAA V1", MakeIdentity("D", "", "CLAA", "V1"),
         Minus(Union({kCommon, kClaa}), kSleepTiming), 17},
        {"S STANDARD V1", MakeIdentity("S", "", "STANDARD", "V1"), Union({kCommon, kRelayV1}),
         18},
        {"S STANDARD V2", MakeIdentity("S", "", "STANDARD", "V2"), Union({kCommon, kRelayV2}),
         19},
        {"S-E STANDARD V1", MakeIdentity("S", "E", "STANDARD", "V1"),
         Union({kCommon, kRelayV1}), 18},
        {"S LRWAN V1", MakeIdentity("S", "", "LRWAN", "V1"), kCommon, 10},
        {"S CLAA V2", MakeIdentity("S", "", "CLAA", "V2"), kCommon, 10},
    };
    return cases;
}

using IdentityTest = ComDeviceTest;

TEST_F(IdentityTest, SupportedSetOfEveryIdentity)
{
    ASSERT_TRUE(OpenDevice());
    for (const SupportedCase& row : SupportedCases()) {
        sim.setIdentity(row.identity);
        int textId = 0;
        ASSERT_TRUE(device.IdentifyVersion(textId)) << row.name;
        EXPECT_EQ(row.expected.size(), row.count) << row.name << ": the expectation itself";
        EXPECT_EQ(device.m_supportedParams, row.expected)
            << row.name << "\n expected: " << Describe(row.expected)
            << "\n actual:   " << Describe(device.m_supportedParams);
        EXPECT_EQ(device.m_versionText, sim.identity().versionText()) << row.name;
    }
}

TEST_F(IdentityTest, IdentityFieldsAndUpperCasedVersionText)
{
    ASSERT_TRUE(OpenDevice());
    sim.setVersionReply("k7r40t-e_std_v2.1");
    int textId = 0;
    ASSERT_TRUE(device.IdentifyVersion(textId));
    const product_version_id id = device.GetVersionId();
    EXPECT_EQ(id.model, "D");
    EXPECT_EQ(id.band, "E");
    EXPECT_EQ(id.flavour, "STANDARD");
    EXPECT_EQ(id.version, "V2");
    EXPECT_EQ(id.suffix, "");
    EXPECT_EQ(device.m_versionText, "K7R40T-E_STD_V2.1");
}

// A failed identification, for either reason, leaves the earlier module's
// identity, supported set and version text in force.
TEST_F(IdentityTest, FailureKeepsEarlierModule)
{
    OpenAndIdentify();
    const Ids before = device.m_supportedParams;
    const std::string textBefore = device.m_versionText;

    struct FailureCase {
        const char* name;
        std::function<void()> arrange;
        int expectedTextId;
    };
    const FailureCase cases[] = {
        {"version query unanswered", [&] { sim.setFault(ModuleSimulator::Fault::Silence, "AT+VER"); },
         55},
        {"version query refused", [&] { sim.setFault(ModuleSimulator::Fault::Error, "AT+VER"); }, 55},
        {"version not recognised", [&] { sim.setVersionReply("K7R40D_STANDARD_V3"); }, 54},
        {"no module text at all", [&] { sim.setVersionReply("HELLO"); }, 54},
    };
    for (const FailureCase& row : cases) {
        sim.clearFaults();
        sim.setVersionReply("");
        sim.setIdentity(MakeIdentity("S", "", "LRWAN", "V2"));
        row.arrange();
        int textId = 0;
        EXPECT_FALSE(device.IdentifyVersion(textId)) << row.name;
        EXPECT_EQ(textId, row.expectedTextId) << row.name;
        EXPECT_EQ(device.m_supportedParams, before) << row.name;
        EXPECT_EQ(device.m_versionText, textBefore) << row.name;
        EXPECT_EQ(device.GetVersionId().model, "D") << row.name;
        EXPECT_EQ(device.GetVersionId().version, "V1") << row.name;
    }
    EXPECT_EQ(log.CountKind(LOG_ERROR), 0) << "the caller reports the failure, not the device";
}

TEST_F(IdentityTest, SecondModuleReplacesTheSet)
{
    OpenAndIdentify();
    sim.setIdentity(MakeIdentity("D", "", "CLAA", "V1"));
    int textId = 0;
    ASSERT_TRUE(device.IdentifyVersion(textId));
    EXPECT_EQ(device.m_supportedParams, Minus(Union({kCommon, kClaa}), kSleepTiming));
}

TEST_F(IdentityTest, ClosedPortFailsAtOnceWithoutSending)
{
    int textId = 0;
    EXPECT_FALSE(device.IdentifyVersion(textId));
    EXPECT_EQ(textId, 55);
    EXPECT_FALSE(device.QueryGmr());
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(IdentityTest, WithoutParserNothingIsRecognised)
{
    CComDevice bare;
    bare.LoadAtCommands();
    ASSERT_TRUE(bare.Open(sim.portName(), kDefaultPort));
    int textId = 0;
    EXPECT_FALSE(bare.IdentifyVersion(textId));
    EXPECT_EQ(textId, 55);
    EXPECT_TRUE(bare.m_versionText.empty());
}

TEST_F(IdentityTest, GmrTextOfClaaModule)
{
    sim.setIdentity(MakeIdentity("D", "", "CLAA", "V2"));
    sim.setGmrText("CLAA-GW 2.0.7 %s");
    OpenAndIdentify();
    EXPECT_NE(device.m_versionText.find("CLAA"), std::string::npos);
    ASSERT_TRUE(device.QueryGmr());
    EXPECT_EQ(device.m_gmrText, "CLAA-GW 2.0.7 %s");

    // A failed query keeps it; closing the port does not clear it.
    sim.setFault(ModuleSimulator::Fault::Error, "AT+GMR");
    EXPECT_FALSE(device.QueryGmr());
    EXPECT_EQ(device.m_gmrText, "CLAA-GW 2.0.7 %s");
    device.Close();
    EXPECT_EQ(device.m_gmrText, "CLAA-GW 2.0.7 %s");
}

// Three "+++" 500 ms apart plus a 100 ms pause between them, then false. The
// port's own read total time-out must not be the shorter limit here.
TEST_F(IdentityTest, CommandModeGivesUpAfterThreeTries)
{
    app.WriteSettings("[COM_TIMEOUT_PARAM]\r\nReadTotalTimeoutConstant=1000\r\n");
    ASSERT_TRUE(OpenDevice());
    sim.setFault(ModuleSimulator::Fault::Silence, "+++");
    const auto start = Clock::now();
    EXPECT_FALSE(device.EnterCommandMode());
    const auto took = Clock::now() - start;

    std::vector<Clock::time_point> sends;
    for (const ModuleSimulator::Received& unit : sim.received()) {
        if (unit.unit == ModuleSimulator::Unit::CommandMode) {
            sends.push_back(unit.at);
        }
    }
    ASSERT_EQ(sends.size(), 3u);
    for (std::size_t i = 1; i < sends.size(); ++i) {
        const auto gap = sends[i] - sends[i - 1];
        EXPECT_GE(gap, 590ms) << "try " << i + 1;
        EXPECT_LT(gap, 900ms) << "try " << i + 1;
    }
    EXPECT_GE(took, 1690ms);
    EXPECT_EQ(log.Count(LOG_SEND, "+++"), 3);
}

TEST_F(IdentityTest, CommandModeSucceedsOnThirdTry)
{
    ASSERT_TRUE(OpenDevice());
    sim.ackCommandModeAfter(2);
    EXPECT_TRUE(device.EnterCommandMode());
    EXPECT_EQ(sim.countReceived("+++"), 3);
    EXPECT_EQ(log.Count(LOG_RECV, "\r\nOK\r\n"), 1);
}

// Identification tries command mode twice (six "+++") before giving up.
TEST_F(IdentityTest, SilentModuleFailsIdentificationWith55)
{
    ASSERT_TRUE(OpenDevice());
    sim.setFault(ModuleSimulator::Fault::Silence, "+++");
    int textId = 0;
    EXPECT_FALSE(device.IdentifyVersion(textId));
    EXPECT_EQ(textId, 55);
    EXPECT_EQ(sim.countReceived("+++"), 6);
    EXPECT_EQ(sim.countReceived("AT+VER\r\n"), 0);
}

TEST(VersionProfiles, MergingAndLeaveOutOnlyPatterns)
{
    LogCapture log;
    TempAppDirectory app;
    app.WriteSettings(ShortTimeoutSettings());
    ModuleSimulator sim(MakeIdentity("D", "E", "LRWAN", "V1"));
    CComDevice device;
    device.LoadAtCommands();
    device.LoadConfigParams();
    device.SetVersionParser(ParseProductVersion);
    const std::string first[] = {"CONFIG_ID_WORK_MODE", "CONFIG_ID_POWER", ""};
    const std::string second[] = {"CONFIG_ID_DEBUG_LEVEL", ""};
    const std::string empty[] = {"", "CONFIG_ID_SLEEP_MODE", ""};
    const std::string power[] = {"CONFIG_ID_POWER", ""};
    // Patterns that differ in case only are one entry; lists merge.
    device.RegisterVersionParams("d", "", "lrwan", "", "", first, nullptr);
    device.RegisterVersionParams("D", "", "LRWAN", "", "", second, nullptr);
    device.RegisterVersionParams("", "", "", "", "", empty, nullptr);
    device.RegisterVersionParams("D", "E", "", "", "", nullptr, power);
    ASSERT_TRUE(device.Open(sim.portName(), kDefaultPort));
    int textId = 0;
    ASSERT_TRUE(device.IdentifyVersion(textId));
    EXPECT_EQ(device.m_supportedParams, Named({"WORK_MODE", "DEBUG_LEVEL"}));
}

} // namespace
} // namespace comdev_test
