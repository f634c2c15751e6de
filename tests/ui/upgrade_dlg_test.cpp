// The firmware upgrade dialog, opened over the real main dialog, against the
// module simulator's loader: what reaches the module, the outcome boxes, the
// path check, the options at every opening and the restore after.
#include "ui/upgrade_dlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <random>

#include "resources/upgrade_dialog_ids.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "tests/ui/modal_test_support.h"
#include "ui/port_watcher.h"
#include "ui/wait_dialog.h"

namespace {

struct Options {
    bool restartFirst = false;
    bool smallBlocks = false;
    bool restoreAfter = false;
};

std::string RandomBytes(std::size_t size) {
    std::mt19937 generator(20240611);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

}  // namespace

class UpgradeDialogTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        // The loader answers at once; a short quiet time keeps 20 frames quick.
        WriteIni("[UPGRADE_COM_TIMEOUT_PARAM]\r\nReadTotalTimeoutConstant=30\r\n");
        m_image = RandomBytes(10000);
        m_imagePath = WriteImage("firmware.bin", m_image);
    }

    std::string WriteImage(const std::string& name, const std::string& bytes) {
        const std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static void Tick(CUpgradeDlg& dialog, int id, bool ticked) {
        dialog.DlgItem<QCheckBox>(id)->setChecked(ticked);
    }

    // One opening of the dialog: picks `path` when it is not empty, sets the
    // options and presses Upgrade. during runs in the meantime, from the UI
    // thread, once its condition holds.
    void Upgrade(const std::string& path, Options options) {
        CUpgradeDlg dialog(m_dialog.get(), m_device.get());
        RunModal(dialog, [&] {
            if (!path.empty()) {
                m_chosenPath = path;
                dialog.Button(IDC_UPG_BUTTON_BROWSE)->click();
            }
            Tick(dialog, IDC_UPG_CHECK_RESTART_FIRST, options.restartFirst);
            Tick(dialog, IDC_UPG_CHECK_SMALL_BLOCKS, options.smallBlocks);
            Tick(dialog, IDC_UPG_CHECK_RESTORE_AFTER, options.restoreAfter);
            dialog.Button(IDC_UPG_BUTTON_UPGRADE)->click();
        });
    }

    void PullAdapterMidTransfer(bool watcherFirst) {
        StartOpen();
        const std::string port = m_device->m_portName;
        WhenTrue pull([&] { return m_sim->loaderFrames().size() >= 2; },
                      [&] {
                          m_sim->hangUp();
                          if (!watcherFirst) return;
                          m_ports.Set({});
                          BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, port);
                      });
        Upgrade(m_imagePath, {false, true, true});
        EXPECT_FALSE(pull.timedOut());
        EXPECT_EQ(m_boxes, std::vector<std::string>{"Failed to upgrade : COM closed"});
    }

    std::string LastBox() const {
        return m_boxes.empty() ? std::string("(no box)") : m_boxes.back();
    }

    std::string m_image;
    std::string m_imagePath;
};

TEST_F(UpgradeDialogTest, ImageReachesTheModuleByteForByteInFramesOfTheChosenSize) {
    struct Row {
        bool smallBlocks;
        std::vector<std::size_t> frames;
    };
    std::vector<std::size_t> small(19, 512);
    small.push_back(10000 - 19 * 512);
    const Row rows[] = {{false, {4096, 4096, 1808}}, {true, small}};
    StartOpen();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.smallBlocks ? "512-byte frames" : "4096-byte frames");
        m_sim->resetLoader();
        m_boxes.clear();
        Upgrade(m_imagePath, {false, row.smallBlocks, false});
        EXPECT_EQ(m_boxes, std::vector<std::string>{"Upgrade complete"});
        // The last frame is not acknowledged: the module may still be reading it.
        ASSERT_TRUE(m_sim->waitFor([&] { return m_sim->loaderComplete(); }, std::chrono::seconds(3)));
        EXPECT_EQ(m_sim->loaderFrameSizes(), row.frames);
        for (const auto& frame : m_sim->loaderFrames())
            EXPECT_TRUE(frame.checksumOk && frame.endOk);
        // Compared as a whole: a mismatch would print 10000 bytes.
        EXPECT_TRUE(m_sim->loaderImage() == m_image)
            << "image differs, " << m_sim->loaderImage().size() << " bytes";
    }
    // The transfer switched to the upgrade time-out and back.
    EXPECT_EQ(m_device->m_serial.GetTimeouts().ReadTotalTimeoutConstant, 300u);
}

TEST_F(UpgradeDialogTest, RestartFirstRestartsTheModuleBeforeTheLoaderIsAsked) {
    StartOpen();
    Upgrade(m_imagePath, {true, false, false});
    EXPECT_EQ(LastBox(), "Upgrade complete");
    EXPECT_EQ(m_sim->restartCount(), 1);
    const auto units = m_sim->received();
    const auto restart = std::find_if(units.begin(), units.end(), [](const auto& unit) {
        return unit.bytes.rfind("AT+SRS", 0) == 0;
    });
    const auto request = std::find_if(units.begin(), units.end(), [](const auto& unit) {
        return unit.unit == ModuleSimulator::Unit::LoaderRequest;
    });
    ASSERT_NE(restart, units.end());
    ASSERT_NE(request, units.end());
    EXPECT_LT(restart - units.begin(), request - units.begin());
}

TEST_F(UpgradeDialogTest, ASilentLoaderRunsUntilCancelAndFailsWithoutAReason) {
    StartOpen();
    ModuleSimulator::LoaderOptions silent;
    silent.answer = false;
    m_sim->setLoaderOptions(silent);
    WhenTrue cancel([&] { return m_sim->loaderRequests() >= 2; },
                    [] {
                        if (auto* wait = ActiveModal<CWaitDialog>())
                            wait->Button(IDCANCEL)->click();
                    });
    Upgrade(m_imagePath, {});
    EXPECT_FALSE(cancel.timedOut());
    EXPECT_EQ(m_boxes, std::vector<std::string>{"Failed to upgrade"});
    EXPECT_FALSE(m_sim->loaderStarted());
    EXPECT_TRUE(m_device->m_serial.IsOpen());
}

TEST_F(UpgradeDialogTest, FailuresNameTheirReason) {
    struct Row {
        const char* name;
        std::function<std::string()> prepare;  // gives the path to pick, "" for none
        const char* box;
    };
    const Row rows[] = {
        {"no image chosen yet", [] { return std::string(); },
         "Failed to upgrade : Cannot open file"},
        {"image missing", [this] { return m_folder + "/missing.bin"; },
         "Failed to upgrade : Cannot open file"},
        {"port closed",
         [this] {
             m_device->Close();
             return m_imagePath;
         },
         "Failed to upgrade : COM closed"},
    };
    StartOpen();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m_boxes.clear();
        m_device->m_upgradeFile.clear();
        Upgrade(row.prepare(), {});
        EXPECT_EQ(LastBox(), row.box);
    }
    EXPECT_EQ(m_sim->loaderRequests(), 0);
}

// The watcher may report the removal before the worker notices the hang-up,
// or only after the transfer has already failed: the user learns why either way.
TEST_F(UpgradeDialogTest, PortRemovedMidTransferReportsComClosed) {
    PullAdapterMidTransfer(true);
    EXPECT_FALSE(m_device->m_serial.IsOpen());
}

TEST_F(UpgradeDialogTest, HangUpNoticedBeforeTheWatcherStillReportsComClosed) {
    PullAdapterMidTransfer(false);
}

TEST_F(UpgradeDialogTest, RestoreAfterRestoresThenReloadsOnlyWhenTheRestoreSucceeded) {
    StartOpen({"S", "", "STANDARD", "V1", "", ".3"});
    std::size_t before = Log().size();
    Upgrade(m_imagePath, {false, false, true});
    EXPECT_EQ(LastBox(), "Upgrade complete");
    EXPECT_EQ(m_sim->factoryCount(), 1);
    ASSERT_TRUE(WaitFor([&] { return LogHas("load params complete"); })) << LogFrom(before);
    std::string added = LogFrom(before);
    EXPECT_LT(added.find("restore factory success"), added.find("load params complete")) << added;
    EXPECT_EQ(m_dialog->GetUiState(), UI_PAGES_SHOWN);

    // A rejected restore: its own failure line, and no load.
    m_sim->resetLoader();
    m_sim->setFault(SimFault::Error, "AT+FAC");
    m_sim->clearRecord();
    before = Log().size();
    Upgrade(m_imagePath, {false, false, true});
    EXPECT_EQ(LastBox(), "Upgrade complete");
    ASSERT_TRUE(WaitFor([&] {
        return LogFrom(before).find("restore factory fail") != std::string::npos;
    })) << LogFrom(before);
    EXPECT_EQ(m_sim->countReceived("AT+VER\r\n"), 0);

    // Without the option, or after a failed upgrade, only the box follows.
    m_sim->clearRecord();
    m_sim->resetLoader();
    Upgrade(m_imagePath, {false, false, false});
    m_device->Close();
    Upgrade(m_imagePath, {false, false, true});
    EXPECT_EQ(LastBox(), "Failed to upgrade : COM closed");
    EXPECT_EQ(m_sim->countReceived("AT+FAC\r\n"), 0);
    EXPECT_EQ(m_sim->countReceived("+++"), 0);
}

TEST_F(UpgradeDialogTest, PathCheckAcceptsOnlyTheTwoSpellingsAnywhereInThePath) {
    struct Row {
        std::string path;
        bool accepted;
    };
    const Row rows[] = {
        {"/fw/image.BIN", true},  {"/fw/image.bin", true},  {"/fw/images.bin/readme.txt", true},
        {"/fw/image.Bin", false}, {"/fw/image.hex", false},
    };
    StartOpen();
    const std::string kept = "/fw/kept.bin";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        m_device->m_upgradeFile = kept;
        m_boxes.clear();
        CUpgradeDlg dialog(m_dialog.get(), m_device.get());
        std::string shown;
        RunModal(dialog, [&] {
            m_chosenPath = row.path;
            dialog.Button(IDC_UPG_BUTTON_BROWSE)->click();
            shown = dialog.GetDlgItemText(IDC_UPG_EDIT_FILE);
        });
        const std::string expected = row.accepted ? row.path : kept;
        EXPECT_EQ(shown, expected);
        EXPECT_EQ(m_device->m_upgradeFile, expected);
        EXPECT_EQ(m_boxes, row.accepted ? std::vector<std::string>{}
                                        : std::vector<std::string>{"File Format Error"});
    }
    // The chooser offered the firmware filter, opening a file.
    ASSERT_FALSE(m_requests.empty());
    EXPECT_FALSE(m_requests.back().save);
    EXPECT_EQ(m_requests.back().filter, "Bin Files(*.bin)|*.bin|All Files(*.*)|*.*||");
}

TEST_F(UpgradeDialogTest, ReopeningShowsTheLastPathAndTheOptionsAsAtEveryOpening) {
    StartOpen();
    {
        CUpgradeDlg first(m_dialog.get(), m_device.get());
        RunModal(first, [&] {
            EXPECT_EQ(first.GetDlgItemText(IDC_UPG_EDIT_FILE), "");
            m_chosenPath = m_imagePath;
            first.Button(IDC_UPG_BUTTON_BROWSE)->click();
            Tick(first, IDC_UPG_CHECK_RESTART_FIRST, true);
            Tick(first, IDC_UPG_CHECK_SMALL_BLOCKS, true);
            Tick(first, IDC_UPG_CHECK_RESTORE_AFTER, false);
            QTest::keyClick(&first, Qt::Key_Escape);
        });
    }
    CUpgradeDlg second(m_dialog.get(), m_device.get());
    RunModal(second, [&] {
        EXPECT_EQ(second.GetDlgItemText(IDC_UPG_EDIT_FILE), m_imagePath);
        EXPECT_EQ(second.IsDlgButtonChecked(IDC_UPG_CHECK_RESTART_FIRST), 0);
        EXPECT_EQ(second.IsDlgButtonChecked(IDC_UPG_CHECK_SMALL_BLOCKS), 0);
        EXPECT_EQ(second.IsDlgButtonChecked(IDC_UPG_CHECK_RESTORE_AFTER), 1);
        EXPECT_EQ(GetWindowText(&second), "Upgrade");
        EXPECT_EQ(second.GetDlgItemText(IDC_UPG_CHECK_RESTORE_AFTER),
                  "Restore factory after upgrade");
    });
    EXPECT_EQ(m_sim->loaderRequests(), 0);
}

TEST_F(UpgradeDialogTest, EnterClosesTheDialogWithoutAnUpgrade) {
    StartOpen();
    m_device->m_upgradeFile = m_imagePath;
    for (int id : {IDC_UPG_CHECK_RESTORE_AFTER, IDC_UPG_EDIT_FILE}) {
        SCOPED_TRACE(id);
        CUpgradeDlg dialog(m_dialog.get(), m_device.get());
        const int result = RunModal(dialog, [&] {
            QWidget* focus = dialog.GetDlgItem(id);
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_Return);
        });
        EXPECT_EQ(result, IDOK);
    }
    EXPECT_TRUE(m_boxes.empty()) << LastBox();
    EXPECT_EQ(m_sim->loaderRequests(), 0);
}

TEST_F(UpgradeDialogTest, TheButtonAndTheMenuOpenItOnTheMainDialogsDevice) {
    StartOpen();
    m_device->m_upgradeFile = m_imagePath;
    for (const bool fromMenu : {false, true}) {
        SCOPED_TRACE(fromMenu ? "menu" : "button");
        std::string shown = "(not opened)";
        WhenTrue look([] { return ActiveModal<CUpgradeDlg>() != nullptr; },
                      [&] {
                          if (auto* dialog = ActiveModal<CUpgradeDlg>()) {
                              shown = dialog->GetDlgItemText(IDC_UPG_EDIT_FILE);
                              QTest::keyClick(dialog, Qt::Key_Escape);
                          }
                      });
        if (fromMenu) {
            Menu(ID_OPERATION_UPGRADE);
        } else {
            Click(IDC_BUTTON_UPGRADE);
        }
        EXPECT_EQ(shown, m_imagePath);
    }
    EXPECT_TRUE(m_boxes.empty()) << LastBox();
}
