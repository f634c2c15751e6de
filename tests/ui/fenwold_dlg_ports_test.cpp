// Ports that arrive or go away, with the open port idle or busy.
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/controls.h"

using PortsTest = MainDialogTest;

TEST_F(PortsTest, OpenPortRemovedWhileIdleOrDuringALoadClosesTheConnection) {
    for (const bool duringLoad : {false, true}) {
        Restart();
        Start();
        // The pty's node goes with its master, as "--port" names it.
        const auto unplug = [&] { m_sim->hangUp(); };
        const std::string added = Logged([&] {
            if (duringLoad) {  // "+++" never acknowledged: the load waits in command mode
                m_sim->setFault(ModuleSimulator::Fault::Silence, "+++");
                WhenTrue([&] { return m_sim->countReceived("+++") > 0; }, unplug);
                Click(IDC_BUTTON_LOADPARAMS);  // returns once the wait dialog has ended
                EXPECT_TRUE(m_held);
            } else {
                Load();
                unplug();
            }
            EXPECT_TRUE(WaitFor([&] { return LogHas("close com port"); })) << duringLoad;
        });
        const size_t removed = added.find("Port " + m_sim->portName() + " removed");
        EXPECT_NE(added.find("close com port", removed), std::string::npos) << added;
        EXPECT_FALSE(m_device->m_serial.IsOpen());
        EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_CLOSED);
        EXPECT_EQ(m_dialog->Tab(IDC_TAB_CONFIG)->GetItemCount(), 0);
    }
}

TEST_F(PortsTest, AnotherPortComingAndGoingOnlyRefreshesTheList) {
    Start();
    const std::string port = m_sim->portName();
    PlugKernelPort("ttyACM0", true);
    ASSERT_TRUE(WaitFor([&] { return LogHas("Port ttyACM0 inserted"); })) << m_transcript;
    EXPECT_EQ(GetWindowText(m_dialog->Combo(IDC_COMBO_COMPORT)), port);  // still selected
    PlugKernelPort("ttyACM0", false);
    ASSERT_TRUE(WaitFor([&] { return m_dialog->Combo(IDC_COMBO_COMPORT)->GetCount() == 1; }));
    EXPECT_TRUE(LogHas("Port ttyACM0 removed")) << m_transcript;
    EXPECT_TRUE(m_device->m_serial.IsOpen());
    EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_OPEN);
    EXPECT_FALSE(LogHas("close com port"));
}
