// Restart and factory restore from the main dialog.
#include "tests/ui/fenwold_dlg_fixture.h"

class ModuleCommandTest : public MainDialogTest {};

TEST_F(ModuleCommandTest, RestartSucceedsAndFailsWithThePortClosed) {
    StartOpen({"S", "", "STANDARD", "V1", "", ".3"});
    Click(IDC_BUTTON_RESTART);
    EXPECT_EQ(m_sim->restartCount(), 1);
    EXPECT_TRUE(LogHas("reboot success")) << Log();
    EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_OPEN);

    Click(IDC_BUTTON_OPENCOM);  // close
    ASSERT_FALSE(m_device->m_serial.IsOpen());
    Menu(ID_OPERATION_RESTART);
    EXPECT_TRUE(LogHas("error:reboot fail")) << Log();
    EXPECT_EQ(m_sim->restartCount(), 1);
}

TEST_F(ModuleCommandTest, RestoreFromTheButtonLoadsAfterASuccessOnly) {
    StartOpen({"S", "", "STANDARD", "V1", "", ".3"});
    Load();
    m_sim->setValue("AT_ITV", "777");
    m_sim->clearRecord();
    const size_t before = Log().size();
    Click(IDC_BUTTON_RESTOREFACTORY);
    EXPECT_EQ(m_sim->factoryCount(), 1);
    const std::string added = LogFrom(before);
    const size_t success = added.find("restore factory success");
    const size_t loaded = added.find("load params complete");
    ASSERT_NE(success, std::string::npos) << added;
    ASSERT_NE(loaded, std::string::npos) << added;
    EXPECT_LT(success, loaded);
    // The pages and the baseline follow the module's factory values.
    EXPECT_EQ(FrameIntervalEdit()->text().toStdString(), m_sim->value("AT_ITV"));
    EXPECT_EQ(m_device->m_paramValues["CONFIG_ID_FRAME_INETRVAL"], m_sim->value("AT_ITV"));

    // A rejected factory line: failure, and no load.
    m_sim->setFault(ModuleSimulator::Fault::Error, "AT+FAC");
    m_sim->clearRecord();
    const size_t second = Log().size();
    Click(IDC_BUTTON_RESTOREFACTORY);
    const std::string failed = LogFrom(second);
    EXPECT_NE(failed.find("error:restore factory fail"), std::string::npos) << failed;
    EXPECT_EQ(failed.find("load params complete"), std::string::npos) << failed;
    EXPECT_EQ(m_sim->countReceived("AT+VER\r\n"), 0);
}

TEST_F(ModuleCommandTest, RestoreFromTheMenuNeverLoads) {
    StartOpen({"S", "", "STANDARD", "V1", "", ".3"});
    const size_t before = Log().size();
    Menu(ID_OPERATION_RESTOREFACTORY);
    const std::string added = LogFrom(before);
    EXPECT_NE(added.find("restore factory success"), std::string::npos) << added;
    EXPECT_EQ(added.find("load params"), std::string::npos) << added;
    EXPECT_EQ(m_sim->countReceived("AT+VER\r\n"), 0);
    EXPECT_EQ(m_dialog->GetUiState(), UI_PORT_OPEN);
}
