// Port list, open and close, and ports that arrive or go away.
#include <thread>

#include "tests/ui/fenwold_dlg_fixture.h"

class PortsTest : public MainDialogTest {
protected:
    ComboBox* Ports() const { return m_dialog->Combo(IDC_COMBO_COMPORT); }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (int i = 0; i < Ports()->GetCount(); ++i) names.push_back(Ports()->GetLBText(i));
        return names;
    }
};

TEST_F(PortsTest, OpenAndCloseFollowTheStates) {
    StartSimulator();
    StartDialog();
    EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_CLOSED);
    EXPECT_EQ(Listed(), std::vector<std::string>{m_sim->portName()});
    EXPECT_TRUE(LogHas("enum 1 com ports")) << Log();
    for (int id : {IDC_BUTTON_LOADPARAMS, IDC_BUTTON_SAVEPARAMS, IDC_BUTTON_RESTART,
                   IDC_BUTTON_RESTOREFACTORY, IDC_BUTTON_UPGRADE, IDC_BUTTON_IMPORT,
                   IDC_BUTTON_EXPORT}) {
        EXPECT_FALSE(m_dialog->Button(id)->isEnabled()) << id;
    }
    // Menu items stay enabled in every state.
    EXPECT_TRUE(m_dialog->Menu()->Item(ID_OPERATION_SAVEPARAMS)->isEnabled());

    Click(IDC_BUTTON_OPENCOM);
    EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_OPEN);
    EXPECT_TRUE(LogHas("open " + m_sim->portName() + " success")) << Log();
    EXPECT_EQ(m_dialog->GetDlgItemText(IDC_BUTTON_OPENCOM), "Close");
    EXPECT_FALSE(Ports()->isEnabled());
    EXPECT_TRUE(m_dialog->Button(IDC_BUTTON_LOADPARAMS)->isEnabled());
    EXPECT_FALSE(m_dialog->Button(IDC_BUTTON_SAVEPARAMS)->isEnabled());

    Load();
    EXPECT_TRUE(m_dialog->Button(IDC_BUTTON_SAVEPARAMS)->isEnabled());
    Click(IDC_BUTTON_OPENCOM);
    EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_CLOSED);
    EXPECT_EQ(Tabs()->GetItemCount(), 0);
    EXPECT_EQ(m_dialog->GetDlgItemText(IDC_EDIT_VERSION), "");
    EXPECT_TRUE(LogHas("close com port"));
    EXPECT_FALSE(m_dialog->Button(IDC_BUTTON_SAVEPARAMS)->isEnabled());
}

TEST_F(PortsTest, OpenPortRemovedWhileIdleClosesTheConnection) {
    StartSimulator();
    m_ports.Set({"ttyFAKE0", m_sim->portName()});
    StartDialog();
    Ports()->SetCurSel(Ports()->FindStringExact(m_sim->portName()));
    Click(IDC_BUTTON_OPENCOM);
    Load();
    const size_t before = Log().size();
    m_ports.Set({"ttyFAKE0"});
    m_sim->hangUp();
    ASSERT_TRUE(WaitFor([&] { return m_dialog->GetUiState() == UI_PORT_CLOSED; }));
    ASSERT_TRUE(WaitFor([&] { return LogFrom(before).find("enum 1 com ports") != std::string::npos; }));
    const std::string added = LogFrom(before);
    const size_t removed = added.find("Port " + m_sim->portName() + " removed");
    const size_t closed = added.find("close com port");
    const size_t listed = added.find("enum 1 com ports");
    ASSERT_NE(removed, std::string::npos) << added;
    EXPECT_LT(removed, closed) << added;
    EXPECT_LT(closed, listed) << added;
    EXPECT_FALSE(m_device->m_serial.IsOpen());
    EXPECT_EQ(Tabs()->GetItemCount(), 0);
    EXPECT_EQ(Listed(), std::vector<std::string>{"ttyFAKE0"});
}

TEST_F(PortsTest, OpenPortRemovedDuringALoadEndsTheJobAndClosesTheConnection) {
    StartOpen();
    // The module never acknowledges "+++": the load waits in command mode.
    m_sim->setFault(ModuleSimulator::Fault::Silence, "+++");
    std::thread unplug([&] {
        m_sim->waitForReceived("+++", 1, std::chrono::milliseconds(5000));
        m_ports.Set({});
        m_sim->hangUp();
    });
    const auto start = std::chrono::steady_clock::now();
    Click(IDC_BUTTON_LOADPARAMS);  // returns once the wait dialog has ended
    unplug.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(m_device->m_serial.IsOpen());
    EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_CLOSED);
    EXPECT_TRUE(LogHas("Port " + m_sim->portName() + " removed")) << Log();
    EXPECT_TRUE(LogHas("close com port")) << Log();
    EXPECT_TRUE(m_device->m_versionText.empty());
}

TEST_F(PortsTest, AnotherPortComingAndGoingOnlyRefreshesTheList) {
    StartOpen();
    const size_t before = Log().size();
    m_ports.Set({"ttyACM0", m_sim->portName()});
    ASSERT_TRUE(WaitFor([&] { return LogHas("Port ttyACM0 inserted"); })) << Log();
    std::string added = LogFrom(before);
    EXPECT_LT(added.find("enum 2 com ports"), added.find("Port ttyACM0 inserted")) << added;
    // The open port stays selected.
    EXPECT_EQ(GetWindowText(Ports()), m_sim->portName());

    m_ports.Set({m_sim->portName()});
    ASSERT_TRUE(WaitFor([&] { return LogHas("Port ttyACM0 removed"); })) << Log();
    ASSERT_TRUE(WaitFor([&] { return Listed().size() == 1; }));
    EXPECT_TRUE(m_device->m_serial.IsOpen());
    EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_OPEN);
    EXPECT_EQ(LogCount("close com port"), 0);
}

TEST_F(PortsTest, WithThePortClosedAnArrivalSelectsTheFirstPort) {
    m_ports.Set({"ttyS1"});
    StartDialog();
    m_ports.Set({"ttyS0", "ttyS1"});
    ASSERT_TRUE(WaitFor([&] { return LogHas("Port ttyS0 inserted"); })) << Log();
    EXPECT_EQ(Ports()->GetCurSel(), 0);
    EXPECT_EQ(GetWindowText(Ports()), "ttyS0");
}

TEST_F(PortsTest, EnterAndEscDoNotEndTheDialog) {
    StartOpen({"D", "", "STANDARD", "V2", "", ".1"});
    Load();
    QLineEdit* interval = FrameIntervalEdit();
    Tabs()->SetCurSel(2);
    m_dialog->PageWidget(2)->show();
    interval->setFocus();
    QTest::keyClick(interval, Qt::Key_Return);
    QTest::keyClick(interval, Qt::Key_Escape);
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    QTest::keyClick(m_dialog->Button(IDC_BUTTON_OPENCOM), Qt::Key_Return);
    Settle();
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_TRUE(m_dialog->PageWidget(2)->isVisible());
    EXPECT_EQ(m_dialog->result(), 0);
    // Enter on the open button did not click it.
    EXPECT_TRUE(m_device->m_serial.IsOpen());
}
