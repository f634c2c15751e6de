#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/pty_line_settings.h"
#include "tests/support/sim_line_noise.h"
#include "tests/support/sim_replies.h"

class PseudoTerminal;

// A fake K7R40 radio module on the master side of a pseudo-terminal. The tool
// (or a terminal program) opens the slave, "/dev/" + portName(), as its serial
// port. The module answers "+++", "AT", "AT+VER", every query and set line of
// its command table, "AT+SAV", "AT+SRS", "AT+FAC" and "AT+GMR", keeps its
// parameter values, and runs the firmware loader. Every failure a test needs can
// be switched on, and everything the module receives and sends is recorded with
// its time.
//
// All members may be called from any thread. The simulator's own thread reads
// the port, answers and records; it is joined by the destructor.
//
// Input is split into units: "+++" (no line end needed), one byte "P" (a loader
// request), or a line ended by "\r\n", "\r" or "\n". A line is answered with
// "\r\nOK\r\n", "\r\nERROR\r\n" (unknown command, query-only command with a
// value, parameter without a value) or a value reply "\r\n+TAG:value\r\n\r\nOK\r\n";
// the version reply is "\r\nSW VER:<text>\r\nOK\r\n". Command names are matched
// without regard to case. An unended text in front of "+++" is dropped, as a
// module's guard time would.
class ModuleSimulator {
public:
    using Clock = std::chrono::steady_clock;
    using Fault = SimFault;
    using Noise = SimNoise;
    using LineSettings = PtyLineSettings;

    // What the module reports as "SW VER": "K7R40" model ["-" band] ["_" suffix]
    // "_" flavour "_" version release, e.g. "K7R40D-E_CLAA_LRWAN_V1.3".
    struct Identity {
        std::string model = "D";           // D, S or T
        std::string band;                  // "", N or E
        std::string flavour = "STANDARD";  // STANDARD, STD, LRWAN or CLAA
        std::string version = "V1";        // V1 or V2
        std::string suffix;                // e.g. CLAA
        std::string release = ".3";        // whatever follows the version
        std::string versionText() const;
    };

    enum class Unit {
        CommandMode,    // "+++"
        Line,           // an AT line, with its line end as received
        Discarded,      // unended text dropped in front of "+++"
        LoaderRequest,  // "P"
        LoaderStart,    // 0x06
        Frame,          // a whole upgrade frame
    };
    struct Received {
        Clock::time_point at;  // when the bytes were read from the port
        Unit unit;
        std::string bytes;
    };
    struct Sent {
        Clock::time_point at;  // when the bytes were written to the port
        std::string bytes;
    };

    struct LoaderOptions {
        bool answer = true;        // false: "P" is never answered
        int ignoreRequests = 0;    // "P" requests left unanswered before "PFF-"
        bool splitReady = false;   // "PFF-" as "PF", a pause, "F-"
        std::chrono::milliseconds splitPause{400};
        unsigned char ackByte = 0x05;  // answer to a good frame
        unsigned char nakByte = 0x15;  // answer to a frame with a bad checksum or end byte
        int answerFrames = -1;         // frames answered before the loader falls silent; -1: all
        std::chrono::milliseconds ackDelay{0};
        // The port goes away (see hangUp) 20 ms after the answer to this many
        // frames has been written; -1: never.
        int hangUpAfterFrames = -1;
    };
    struct LoaderFrame {
        Clock::time_point at;
        std::size_t length = 0;  // payload bytes
        unsigned char checksum = 0;
        bool checksumOk = false;
        bool last = false;  // ended by 0x03
        bool endOk = false;  // ended by 0x03 or 0x17
    };

    ModuleSimulator();  // a K7R40D_STANDARD_V1.3
    explicit ModuleSimulator(Identity identity);
    ~ModuleSimulator();
    ModuleSimulator(const ModuleSimulator&) = delete;
    ModuleSimulator& operator=(const ModuleSimulator&) = delete;

    // "pts/N": the name the tool opens as "/dev/" + name.
    std::string portName() const;
    // "/dev/pts/N"
    std::string devicePath() const;

    // Identity. setIdentity also gives the module the factory values of the new
    // identity, as if another module had been plugged in.
    void setIdentity(const Identity& identity);
    Identity identity() const;
    // Replaces the whole "SW VER" value (e.g. an unrecognisable text); an empty
    // text goes back to identity().versionText().
    void setVersionReply(const std::string& text);
    std::string versionReply() const;
    void setGmrText(const std::string& text);

    // Parameter values, keyed by AT key ("AT_MOD") or module command ("+MOD").
    // value() is what a query answers; setValue() also sets what survives
    // "AT+SRS", as if the module had been configured earlier.
    std::string value(const std::string& key) const;
    void setValue(const std::string& key, const std::string& value);
    std::string factoryValue(const std::string& key) const;

    // Command mode: entered by an acknowledged "+++", left by "AT+SRS" and at the
    // end of a firmware transfer. When required, lines outside command mode are
    // taken as data for the radio and get no answer (off by default).
    bool inCommandMode() const;
    void setRequireCommandMode(bool require);
    int saveCount() const;     // "AT+SAV" lines acknowledged
    int restartCount() const;  // "AT+SRS"

    // Faults. A rule hits the replies to received units that start with
    // linePrefix ("" = every unit, "+++", "AT+MOD?", "AT+LFR=", ...), the next
    // `times` of them or, with -1, until cleared. The rule added first wins.
    void setFault(Fault fault, const std::string& linePrefix = {}, int times = -1);
    void clearFaults();
    // Set lines of this key ("AT_MOD" or "+MOD") are answered "\r\nERROR\r\n" and
    // change nothing.
    void rejectSet(const std::string& key);
    // The first `ignored` "+++" go unanswered.
    void ackCommandModeAfter(int ignored);
    // Where Fault::Split cuts a reply (0: the middle) and how long the gap lasts.
    void setSplit(std::size_t at, std::chrono::milliseconds pause);
    void setOverLongSize(std::size_t bytes);  // Fault::OverLong's whole reply, default 5000
    void setGarbage(const std::string& bytes);  // Fault::Garbage's reply

    // A module gone wrong: from the nth received unit that starts with fromUnit
    // on ("" and 0: at once), nothing is answered any more, the loader's
    // answers included, and the line carries the noise (see SimNoise; a
    // trickle sends '~' every period, a flood 'Z's, garbage the garbage text
    // or "#garbage#"). Noise bytes are counted, not recorded in sent().
    void startNoise(Noise noise, const std::string& fromUnit = {}, int nth = 1,
                    std::chrono::milliseconds period = std::chrono::milliseconds(100));
    bool noiseActive() const;
    std::uint64_t noiseBytesSent() const;

    // Firmware loader.
    void setLoaderOptions(const LoaderOptions& options);
    int loaderRequests() const;  // "P" bytes received
    bool loaderStarted() const;  // 0x06 received
    bool loaderComplete() const;  // last frame (0x03) received
    std::string loaderImage() const;  // payloads of the frames with a good checksum
    std::vector<LoaderFrame> loaderFrames() const;
    std::vector<std::size_t> loaderFrameSizes() const;
    void resetLoader();

    // The port gone: the master is closed, so the client's reads and polls see a
    // hang-up and the device node disappears. The module is dead afterwards.
    void hangUp();

    // The line settings the client last set on the port (see PtyLineSettings for
    // what a pty cannot show); none after hangUp().
    std::optional<LineSettings> lineSettings() const;

    // Record of everything received and sent.
    std::vector<Received> received() const;
    std::vector<std::string> receivedLines() const;  // "+++" and AT lines, as received
    int countReceived(const std::string& bytes) const;
    std::vector<Sent> sent() const;
    std::string sentText() const;  // all sent bytes, joined
    void clearRecord();

    // Waits until pred() holds or bound has passed; pred runs without the
    // simulator's lock, so it may call the simulator. It is re-checked whenever
    // the simulator receives or sends something, and at least every 10 ms for
    // conditions that depend on the client alone. Returns pred()'s last answer.
    bool waitFor(const std::function<bool()>& pred, std::chrono::milliseconds bound) const;
    // Waits until the module has taken in everything written to the port so far,
    // so that the record is complete; false when bound passed first.
    bool settle(std::chrono::milliseconds bound = std::chrono::milliseconds(2000)) const;
    // Waits until `bytes` has been received as a unit `count` times in all.
    bool waitForReceived(const std::string& bytes, int count = 1,
                         std::chrono::milliseconds bound = std::chrono::milliseconds(3000)) const;

private:
    enum class LoaderState { Off, Ready, Frames };
    struct FaultRule {
        std::string prefix;
        Fault fault;
        int times;
    };
    struct Pending {
        Clock::time_point due;
        std::string bytes;
        bool noise = false;
    };

    void run();
    void signalThread() const;
    void changed();  // caller holds m_mutex
    void feed(const std::string& chunk, Clock::time_point now);
    bool takeAtUnit(Clock::time_point now);
    void record(Unit unit, std::string bytes, Clock::time_point now);
    void onCommandMode(Clock::time_point now);
    void onLine(const std::string& line, Clock::time_point now);
    void onLoaderRequest(Clock::time_point now);
    void onFrame(const SimFrame& frame, Clock::time_point now);
    std::string execute(const std::string& body, std::string& tag);
    Fault takeFault(const std::string& unit);
    void reply(const std::string& text, const std::string& tag, Fault fault,
               Clock::time_point now);
    void schedule(const std::vector<std::string>& pieces, Clock::time_point start,
                  std::chrono::milliseconds gap);
    void flushDue(Clock::time_point now);
    void queueNoise(Clock::time_point now);
    std::string tagOf(const std::string& key) const;
    std::string versionReplyLocked() const;

    std::unique_ptr<PseudoTerminal> m_pty;
    std::string m_portName;
    std::string m_devicePath;
    int m_wakeFd = -1;
    int m_watchFd = -1;  // inotify on the slave node: wakes the thread when a client opens it

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::uint64_t m_changes = 0;
    std::uint64_t m_passes = 0;  // of the thread's loop, each after its poll
    bool m_stop = false;
    bool m_hangUpRequested = false;
    bool m_hangUpWhenSent = false;  // once every queued reply is out
    std::optional<Clock::time_point> m_hangUpAt;
    bool m_hungUp = false;

    Identity m_identity;
    std::string m_versionOverride;
    std::string m_gmr;
    std::map<std::string, std::string> m_values;
    std::map<std::string, std::string> m_saved;
    bool m_commandMode = false;
    bool m_requireCommandMode = false;
    int m_saveCount = 0;
    int m_restartCount = 0;

    std::vector<FaultRule> m_faults;
    std::chrono::milliseconds m_splitPause{300};
    SimFaultShape m_shape;
    SimLineNoise m_noise;
    std::uint64_t m_noiseSent = 0;

    LoaderOptions m_loader;
    LoaderState m_loaderState = LoaderState::Off;
    int m_loaderRequests = 0;
    int m_framesAnswered = 0;
    bool m_loaderStarted = false;
    bool m_loaderComplete = false;
    std::string m_image;
    std::vector<LoaderFrame> m_frames;

    std::string m_in;
    bool m_lastLineEndedWithCr = false;
    std::deque<Pending> m_out;
    bool m_outBlocked = false;
    Clock::time_point m_lastDue{};
    std::vector<Received> m_received;
    std::vector<Sent> m_sent;

    std::thread m_thread;  // last: starts when everything above is ready
};
