// The link used alone, as a user's script would use it: no window, no wait
// dialog, only the device and a module.
#include "tests/link/com_device_fixture.h"

namespace comdev_test {
namespace {

ParamValueMap LoadAll(CComDevice& device)
{
    std::vector<AtRequest> requests;
    device.CollectQueries(device.m_supportedParams, requests);
    ParamValueMap values;
    for (AtRequest& request : requests) {
        if (device.Query(request)) {
            values[request.configId] = request.reply;
        }
    }
    return values;
}

TEST(ComDeviceScript, LoadChangeSaveRestartRestore)
{
    TempAppDirectory app;
    app.WriteSettings(ShortTimeoutSettings());
    LogCapture log;
    ModuleSimulator sim(MakeIdentity("D", "", "STANDARD", "V2"));
    sim.setRequireCommandMode(true);
    CComDevice device;
    ConfigureAsStartUp(device);

    ASSERT_TRUE(device.Open(sim.portName(), kDefaultPort));
    ASSERT_TRUE(device.EnterCommandMode());
    int textId = 0;
    ASSERT_TRUE(device.IdentifyVersion(textId));
    ASSERT_EQ(device.m_supportedParams.size(), 29u);

    // Every supported parameter, as the module holds it.
    const ParamValueMap loaded = LoadAll(device);
    ASSERT_EQ(loaded.size(), 29u);
    for (const auto& [id, value] : loaded) {
        EXPECT_EQ(value, sim.value(device.FindConfigParam(id)->atKey)) << id;
    }

    // Change three, write them and save.
    const ParamValueMap changes = {{"CONFIG_ID_CARRIER_FREQUENCY", "470"},
                                   {"CONFIG_ID_DEVICE_ID", "4242"},
                                   {"CONFIG_ID_WORK_MODE", "2"}};
    std::vector<AtRequest> sets;
    device.CollectSets(changes, sets);
    ASSERT_EQ(sets.size(), 3u);
    for (const AtRequest& request : sets) {
        EXPECT_TRUE(device.Set(request)) << request.configId;
    }
    char saveReply[100];
    EXPECT_TRUE(device.Exchange("AT+SAV\r\n", saveReply, sizeof saveReply));
    EXPECT_EQ(sim.saveCount(), 1);

    // Read back: the three changed, nothing else did.
    ParamValueMap expected = loaded;
    for (const auto& [id, value] : changes) {
        expected[id] = value;
    }
    EXPECT_EQ(LoadAll(device), expected);

    // A restart keeps what was saved; the module leaves command mode.
    EXPECT_TRUE(device.Reboot());
    EXPECT_EQ(sim.restartCount(), 1);
    ASSERT_TRUE(device.EnterCommandMode());
    EXPECT_EQ(LoadAll(device), expected);

    // A factory restore brings back the factory values.
    EXPECT_TRUE(device.RestoreFactory());
    EXPECT_EQ(sim.factoryCount(), 1);
    const ParamValueMap restored = LoadAll(device);
    EXPECT_EQ(restored, loaded);
    EXPECT_EQ(restored.at("CONFIG_ID_CARRIER_FREQUENCY"),
              sim.factoryValue("AT_LFR"));

    device.Close();
    EXPECT_EQ(log.Count(LOG_INFO, "close com port"), 1);
}

} // namespace
} // namespace comdev_test
