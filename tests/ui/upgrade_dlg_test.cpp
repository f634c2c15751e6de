// The firmware upgrade against the simulator's loader: bytes, outcomes, path check, boxes.
#include "ui/upgrade_dlg.h"

#include <random>

#include "resources/upgrade_dialog_ids.h"
#include "tests/support/fifo_without_writer.h"
#include "tests/ui/fenwold_dlg_fixture.h"
#include "ui/read_whole_file.h"
#include "ui/wait_dialog.h"

using Boxes = std::array<bool, 3>;  // restart first, 512-byte frames, restore after
constexpr auto kBound = std::chrono::seconds(3);
constexpr int kBoxIds[] = {IDC_UPG_CHECK_RESTART_FIRST, IDC_UPG_CHECK_SMALL_BLOCKS,
                           IDC_UPG_CHECK_RESTORE_AFTER};

class UpgradeDialogTest : public MainDialogTest {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        // The loader answers at once; a short quiet time keeps 20 frames quick.
        WriteIni("[UPGRADE_COM_TIMEOUT_PARAM]\r\nReadTotalTimeoutConstant=30\r\n");
        std::mt19937 generator(20240611);
        for (char& byte : m_image) byte = static_cast<char>(generator() & 0xFF);
        std::ofstream(m_folder + "/firmware.bin", std::ios::binary) << m_image;
        Start();
    }
    void Upgrade(const std::string& path, Boxes boxes = {}) {
        m_boxes.clear();
        Modal<CUpgradeDlg>([&](CUpgradeDlg& dialog) {
            if (!path.empty()) Browse(dialog, m_folder + path);
            for (int i = 0; i < 3; ++i) dialog.CheckDlgButton(kBoxIds[i], boxes[i]);
            dialog.Button(IDC_UPG_BUTTON_UPGRADE)->click();
        });
    }
    void Browse(CUpgradeDlg& dialog, const std::string& path) {
        m_chosenPath = path;
        dialog.Button(IDC_UPG_BUTTON_BROWSE)->click();
    }

    std::string m_image = std::string(10000, '\0');
};

TEST_F(UpgradeDialogTest, ImageReachesTheModuleByteForByteInFramesOfTheChosenSize) {
    std::vector<std::size_t> small(19, 512);
    small.push_back(10000 - 19 * 512);
    const std::pair<Boxes, std::vector<std::size_t>> rows[] = {
        {{false, false, false}, {4096, 4096, 1808}}, {{true, true, false}, small}};
    for (const auto& [boxes, frames] : rows) {
        m_sim->resetLoader();
        Upgrade("/firmware.bin", boxes);
        EXPECT_EQ(m_boxes, Texts{"Upgrade complete"});
        // The last frame is not acknowledged: the module may still be reading it.
        ASSERT_TRUE(m_sim->waitFor([&] { return m_sim->loaderComplete(); }, kBound));
        EXPECT_EQ(m_sim->loaderFrameSizes(), frames);
        for (const auto& f : m_sim->loaderFrames()) EXPECT_TRUE(f.checksumOk && f.endOk);
        // Compared as a whole: a mismatch would print 10000 bytes.
        EXPECT_TRUE(m_sim->loaderImage() == m_image) << "differs, " << m_sim->loaderImage().size();
        EXPECT_EQ(m_sim->restartCount(), boxes[0] ? 1 : 0);
    }
    EXPECT_EQ(m_device->m_serial.GetTimeouts().ReadTotalTimeoutConstant, 300u);  // back again
}

// The restore follows a successful upgrade only, the load a successful restore only. A port
// removed mid-transfer gives "COM closed" whether the watcher or the worker notices first.
TEST_F(UpgradeDialogTest, OutcomesAndTheRestoreAfter) {
    enum { kNone, kRestoreRefused, kPortClosed, kSilentLoader, kRemovedWatcherFirst, kHungUp };
    const char *done = "Upgrade complete", *image = "/firmware.bin";
    const char *closed = "Failed to upgrade : COM closed";
    const char* none = "Failed to upgrade : Cannot open file";
    const std::tuple<const char*, bool, int, const char*, const char*> rows[] = {
        // path ("" for none chosen), restore after, trouble, message box, restore's outcome
        {image, true, kNone, done, "restore factory success"},
        {image, true, kRestoreRefused, done, "restore factory fail"},
        {image, false, kNone, done, nullptr},        {"", true, kNone, none, nullptr},
        {"/missing.bin", true, kNone, none, nullptr}, {image, true, kPortClosed, closed, nullptr},
        {image, true, kSilentLoader, "Failed to upgrade", nullptr},
        {image, true, kRemovedWatcherFirst, closed, nullptr},
        {image, true, kHungUp, closed, nullptr}};
    for (const auto& [path, restoreAfter, trouble, box, line] : rows) {
        const bool loads = line && trouble == kNone, silent = trouble == kSilentLoader;
        Restart();
        if (trouble == kRestoreRefused) m_sim->setFault(ModuleSimulator::Fault::Error, "AT+FAC");
        if (trouble == kPortClosed) m_device->Close();
        m_sim->setLoaderOptions({.answer = !silent});
        const std::string port = m_device->m_portName;
        const auto reached = [&] {  // a few "P"s asked, or two frames through
            return (silent ? m_sim->loaderRequests() : m_sim->loaderFrames().size()) >= 2;
        };
        if (trouble >= kSilentLoader) WhenTrue(reached, [&] {
            auto* wait = qobject_cast<CWaitDialog*>(QApplication::activeModalWidget());
            if (silent && wait) return wait->Button(IDCANCEL)->click();
            m_sim->hangUp();
            if (trouble == kRemovedWatcherFirst)
                BroadcastDeviceChange(DBT_DEVICEREMOVECOMPLETE, port);
        });
        Upgrade(path, {false, trouble >= kSilentLoader, restoreAfter});
        const char* last = loads ? "load params complete" : line;
        EXPECT_TRUE(!last || WaitFor([&] { return LogHas(last); })) << last;
        EXPECT_EQ(m_boxes, Texts{box}) << path << " " << trouble;
        EXPECT_EQ(m_sim->countReceived("AT+FAC\r\n"), line ? 1 : 0) << box;
        EXPECT_EQ(m_sim->countReceived("AT+VER\r\n"), loads ? 1 : 0) << box;
        EXPECT_EQ(m_sim->loaderStarted(), box == done || trouble > kSilentLoader) << trouble;
        EXPECT_TRUE(trouble < kSilentLoader || m_held) << trouble;
        const bool open = m_device->m_serial.IsOpen();
        EXPECT_TRUE(trouble < kSilentLoader || trouble == kHungUp || open == silent) << trouble;
    }
}

// Anything but a regular file within the bound is refused before it is read, as a missing
// file is; a FIFO without a writer must not hold the worker, nor the Cancel that joins it.
TEST_F(UpgradeDialogTest, OnlyARegularImageWithinTheBoundIsRead) {
    FifoWithoutWriter fifo(m_folder + "/fifo.bin");
    ASSERT_TRUE(fifo.made());
    std::filesystem::create_symlink("/dev/zero", m_folder + "/zero.bin");
    std::filesystem::create_directory(m_folder + "/folder.bin");
    std::ofstream(m_folder + "/big.bin");
    std::filesystem::resize_file(m_folder + "/big.bin", kMaxFirmwareImageBytes + 1);
    for (const char* path : {"/fifo.bin", "/zero.bin", "/folder.bin", "/big.bin"}) {
        Upgrade(path);
        EXPECT_EQ(m_boxes, Texts{"Failed to upgrade : Cannot open file"}) << path;
        EXPECT_FALSE(fifo.readerWasStuck()) << path;
        EXPECT_EQ(m_sim->loaderRequests(), 0) << path;
    }
}

// ".bin" or ".BIN" anywhere; each opening: the last path, only restore-after ticked.
TEST_F(UpgradeDialogTest, PathCheckAndTheBoxesAtEveryOpening) {
    const std::pair<const char*, bool> rows[] = {{"/fw/image.Bin", false}, {"/fw/image.BIN", true},
        {"/fw/images.bin/readme.txt", true}, {"/fw/image.hex", false}, {"/fw/image.bin", true}};
    for (const char* last : {"", "/fw/image.bin"}) {
        Modal<CUpgradeDlg>([&](CUpgradeDlg& dialog) {
            std::string kept = dialog.GetDlgItemText(IDC_UPG_EDIT_FILE);
            EXPECT_EQ(kept, last);
            for (int i = 0; i < 3; ++i) EXPECT_EQ(dialog.IsDlgButtonChecked(kBoxIds[i]), i == 2);
            for (int i = 0; i < 3; ++i) dialog.CheckDlgButton(kBoxIds[i], i != 2);
            for (const auto& [path, accepted] : rows) {
                m_boxes.clear();
                Browse(dialog, path);
                kept = accepted ? path : kept;
                EXPECT_EQ(dialog.GetDlgItemText(IDC_UPG_EDIT_FILE) + "|" + m_device->m_upgradeFile,
                          kept + "|" + kept);
                EXPECT_EQ(m_boxes, Texts(!accepted, "File Format Error")) << path;
            }
        });
    }
    EXPECT_EQ(m_sim->loaderRequests(), 0);
}
