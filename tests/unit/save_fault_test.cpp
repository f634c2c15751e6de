// A save failed or killed at any of its steps leaves the old text, or the new one followed
// at most by blank lines (which every reader of the tool skips), and says it saved only
// when the new text is what the file holds.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "platform/write_fault.h"
#include "tests/support/file_writers.h"

namespace fs = std::filesystem;

namespace {

// The stage the hook acts on, and how: a failure, or a kill just before the step.
WriteStage g_stage;
bool g_kill = false;
bool g_reached = false;

int Fault(WriteStage stage) {
    if (stage != g_stage) return 0;
    g_reached = true;
    if (g_kill) ::raise(SIGKILL);
    return stage == WriteStage::kLock ? EWOULDBLOCK : EIO;
}

const char* Name(WriteStage stage) {
    static const char* const kNames[] = {"lock", "reserve", "write", "flush",
                                         "cut",  "close",   "rename"};
    return kNames[static_cast<int>(stage)];
}

// The new text followed by nothing but line feeds.
bool IsNewText(const std::string& now, const std::string& text) {
    return now.compare(0, text.size(), text) == 0 &&
           now.find_first_not_of('\n', text.size()) == std::string::npos;
}

class SaveFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(::mkdtemp(m_dir.data()), nullptr);
        m_file = m_dir + "/ParamCfg.ini";
        m_link = m_dir + "/linked.ini";
    }
    void TearDown() override {
        SetWriteFaultHook(nullptr);
        fs::remove_all(m_dir);
    }
    // The old file again; with a second link it is written in place.
    void Reset(bool inPlace) const {
        for (const std::string& name : Names(m_dir)) fs::remove(m_dir + "/" + name);
        Put(m_file, kOld);
        if (inPlace) fs::create_hard_link(m_file, m_link);
    }
    const std::string kOld = "[CONFIG]\r\nData=" + std::string(3000, 'k') + "\r\nLANGUAGE=2\r\n";
    std::string m_dir = "/tmp/save_fault_test_XXXXXX", m_file, m_link;
};

}  // namespace

TEST_F(SaveFaultTest, AStepFailedOrKilledLeavesTheOldTextOrTheNewAndSaysWhich) {
    using S = WriteStage;
    const struct {
        const char* name;
        bool inPlace;
        std::vector<WriteStage> stages;
    } paths[] = {
        {"rename", false, {S::kLock, S::kWrite, S::kFlush, S::kClose, S::kRename}},
        {"in place", true, {S::kLock, S::kReserve, S::kWrite, S::kFlush, S::kCut, S::kClose}},
    };
    for (const Writer& writer : kWriters) {
        const bool settings = std::string(writer.name) == "settings";
        for (const auto& path : paths) {
            for (const std::string& value : {std::string("v"), std::string(5000, 'n')}) {
                // What the file holds after the save, done without a fault.
                Reset(path.inPlace);
                ASSERT_EQ(writer.write(m_file, value).step, FileWriteStep::kNone);
                const std::string saved = Read(m_file);
                for (const WriteStage stage : path.stages) {
                    // The export takes no lock; a longer text is not cut.
                    if ((stage == S::kLock && !settings) ||
                        (stage == S::kCut && saved.size() >= kOld.size()))
                        continue;
                    for (const bool kill : {false, true}) {
                        SCOPED_TRACE(std::string(writer.name) + ", " + path.name + ", " +
                                     (kill ? "killed before " : "failed at ") + Name(stage) + ", " +
                                     std::to_string(value.size()) + "-byte value");
                        Reset(path.inPlace);
                        g_stage = stage, g_kill = kill, g_reached = false;
                        bool told = false;
                        if (kill) {
                            const pid_t child = ::fork();
                            if (child == 0) {
                                SetWriteFaultHook(Fault);
                                writer.write(m_file, value);
                                ::_exit(0);
                            }
                            EXPECT_EQ(Waited(child), 128 + SIGKILL) << "the step was never reached";
                        } else {
                            SetWriteFaultHook(Fault);
                            told = writer.write(m_file, value).step == FileWriteStep::kNone;
                            SetWriteFaultHook(nullptr);
                            EXPECT_TRUE(g_reached) << "the step was never reached";
                        }
                        const std::string now = Read(m_file);
                        const bool isNew = IsNewText(now, saved);
                        EXPECT_TRUE(now == kOld || isNew)
                            << ::testing::PrintToString(now.substr(0, 80)) << " ... "
                            << ::testing::PrintToString(
                                   now.substr(now.size() > 80 ? now.size() - 80 : 0));
                        if (path.inPlace) {
                            EXPECT_EQ(Read(m_link), now) << "the link was split";
                        }
                        if (!kill) {
                            EXPECT_EQ(told, isNew) << "the tool told what the file does not hold";
                            EXPECT_EQ(Names(m_dir).size(), path.inPlace ? 2u : 1u)
                                << "a stray file";
                        }
                    }
                }
            }
        }
    }
}
