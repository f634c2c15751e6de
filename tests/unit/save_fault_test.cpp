// A save failed or killed at any of its steps leaves the old text, or the new one followed
// at most by blank lines (which every reader of the tool skips), and says it saved only
// when the new text is what the file holds.
#include <gtest/gtest.h>
#include <signal.h>

#include "platform/write_fault.h"
#include "tests/support/file_writers.h"

namespace {

WriteStage g_stage;  // the step the hook acts on, and how
bool g_kill = false, g_reached = false;

int Fault(WriteStage stage) {
    if (stage != g_stage) return 0;
    g_reached = true;
    if (g_kill) ::raise(SIGKILL);
    return stage == WriteStage::kLock ? EWOULDBLOCK : EIO;
}

}  // namespace

TEST(SaveFaultTest, AStepFailedOrKilledLeavesTheOldTextOrTheNewAndSaysWhich) {
    using S = WriteStage;
    std::string dir = "/tmp/save_fault_test_XXXXXX";
    ASSERT_NE(::mkdtemp(dir.data()), nullptr);
    const std::string file = dir + "/ParamCfg.ini", link = dir + "/linked.ini";
    const std::string old = "[CONFIG]\r\nData=" + std::string(3000, 'k') + "\r\nLANGUAGE=2\r\n";
    const auto reset = [&](bool inPlace) {  // a second link makes the save one in place
        for (const std::string& name : Names(dir)) std::filesystem::remove(dir + "/" + name);
        Put(file, old);
        if (inPlace) std::filesystem::create_hard_link(file, link);
    };
    const std::pair<bool, std::vector<S>> paths[] = {
        {false, {S::kLock, S::kWrite, S::kFlush, S::kClose, S::kRename}},
        {true, {S::kLock, S::kReserve, S::kWrite, S::kFlush, S::kCut, S::kClose}}};
    for (const Writer& writer : kWriters) {
        for (const auto& [inPlace, stages] : paths) {
            for (const std::string& value : {std::string("v"), std::string(5000, 'n')}) {
                reset(inPlace);
                ASSERT_EQ(writer.write(file, value).step, FileWriteStep::kNone);
                const std::string saved = Read(file);
                for (const S stage : stages) {
                    // The export takes no lock; a longer text is not cut.
                    if ((stage == S::kLock && writer.name == std::string("export")) ||
                        (stage == S::kCut && saved.size() >= old.size()))
                        continue;
                    for (const bool kill : {false, true}) {
                        SCOPED_TRACE(::testing::Message()
                                     << writer.name << (inPlace ? ", in place" : ", by rename")
                                     << (kill ? ", killed before step " : ", failed at step ")
                                     << static_cast<int>(stage) << ", value of " << value.size());
                        reset(inPlace);
                        g_stage = stage, g_kill = kill, g_reached = false;
                        SetWriteFaultHook(Fault);
                        bool told = false;
                        if (!kill) {
                            told = writer.write(file, value).step == FileWriteStep::kNone;
                        } else if (const pid_t child = ::fork(); child == 0) {
                            writer.write(file, value);
                            ::_exit(0);
                        } else {
                            g_reached = Waited(child) == 128 + SIGKILL;
                        }
                        SetWriteFaultHook(nullptr);
                        EXPECT_TRUE(g_reached) << "the step was never reached";
                        const std::string now = Read(file);
                        const bool isNew =
                            now.compare(0, saved.size(), saved) == 0 &&
                            now.find_first_not_of('\n', saved.size()) == std::string::npos;
                        EXPECT_TRUE(now == old || isNew) << "a mixed file";
                        if (inPlace) {
                            EXPECT_EQ(Read(link), now) << "the link was split";
                        }
                        if (!kill) {
                            EXPECT_EQ(told, isNew) << "the tool told what the file does not hold";
                            EXPECT_EQ(Names(dir).size(), inPlace ? 2u : 1u) << "a stray file";
                        }
                    }
                }
            }
        }
    }
    std::filesystem::remove_all(dir);
}
