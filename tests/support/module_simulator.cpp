#include "tests/support/module_simulator.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "tests/support/pty.h"
#include "tests/support/sim_at_table.h"

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kRecheck{10};
// Without inotify the thread looks for a returning client this often.
constexpr milliseconds kNoClientRetry{50};
// A line end never comes for text this long: drop it rather than grow forever.
constexpr std::size_t kMaxPending = 64 * 1024;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

void Drain(int fd) {
    char buf[512];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
}

}  // namespace

std::string ModuleSimulator::Identity::versionText() const {
    std::string text = "K7R40" + model;
    if (!band.empty()) text += "-" + band;
    if (!suffix.empty()) text += "_" + suffix;
    return text + "_" + flavour + "_" + version + release;
}

ModuleSimulator::ModuleSimulator() : ModuleSimulator(Identity{}) {}

ModuleSimulator::ModuleSimulator(Identity identity)
    : m_pty(std::make_unique<PseudoTerminal>()), m_identity(std::move(identity)) {
    m_portName = m_pty->portName();
    m_devicePath = m_pty->slavePath();
    m_gmr = "K7R40" + m_identity.model + "_CLAA_GMR_V1.0.5";
    m_values = m_saved = SimFactoryValues(m_identity.flavour);
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_watchFd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (m_watchFd >= 0 && ::inotify_add_watch(m_watchFd, m_devicePath.c_str(), IN_OPEN) < 0) {
        ::close(m_watchFd);
        m_watchFd = -1;
    }
    m_thread = std::thread(&ModuleSimulator::run, this);
}

ModuleSimulator::~ModuleSimulator() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    signalThread();
    m_thread.join();
    if (m_watchFd >= 0) ::close(m_watchFd);
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

void ModuleSimulator::signalThread() const {
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

void ModuleSimulator::changed() {
    ++m_changes;
    m_changed.notify_all();
}

// The thread sleeps in poll() on the wake eventfd, the master (or, while no
// client holds the slave open, the inotify watch: a master without a slave
// reports POLLHUP without end) and the due time of the next queued reply.
void ModuleSimulator::run() {
    bool clientAbsent = false;
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (m_hangUpAt && Clock::now() >= *m_hangUpAt) m_hangUpRequested = true;
        if (m_hangUpRequested) {
            m_pty->close();
            m_out.clear();
            m_hungUp = true;
            changed();
            return;
        }
        const int master = m_pty->masterFd();
        Clock::time_point now = Clock::now();
        queueNoise(now);
        std::optional<Clock::time_point> wake = m_noise.nextDue();
        if (m_hangUpAt) wake = wake ? std::min(*wake, *m_hangUpAt) : *m_hangUpAt;
        if (!m_out.empty() && !m_outBlocked) {
            wake = wake ? std::min(*wake, m_out.front().due) : m_out.front().due;
        }
        int timeout = -1;
        if (wake) {
            auto wait = std::chrono::ceil<milliseconds>(*wake - now);
            timeout = static_cast<int>(std::max<milliseconds::rep>(0, wait.count()));
        }
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {-1, 0, 0}};
        if (!clientAbsent) {
            fds[1] = {master, static_cast<short>(POLLIN | (m_outBlocked ? POLLOUT : 0)), 0};
        } else if (m_watchFd >= 0) {
            fds[1] = {m_watchFd, POLLIN, 0};
        } else if (timeout < 0 || timeout > kNoClientRetry.count()) {
            timeout = static_cast<int>(kNoClientRetry.count());
        }
        lock.unlock();
        int ready = ::poll(fds, 2, timeout);
        char buf[4096];
        ssize_t got = 0;
        int readErrno = 0;
        // The port is read without the lock so a slow test thread never delays it.
        if (ready > 0 && !clientAbsent && (fds[1].revents & POLLIN)) {
            got = ::read(master, buf, sizeof buf);
            readErrno = errno;
        }
        lock.lock();
        now = Clock::now();
        if (fds[0].revents & POLLIN) Drain(m_wakeFd);
        if (!clientAbsent) {
            const short events = fds[1].revents;
            if (got > 0) {
                feed(std::string(buf, static_cast<std::size_t>(got)), now);
            } else if ((got < 0 && readErrno == EIO) || (got == 0 && (events & POLLIN)) ||
                       ((events & (POLLHUP | POLLERR)) && !(events & POLLIN))) {
                clientAbsent = true;
            }
            if (events & POLLOUT) m_outBlocked = false;
        } else if (m_watchFd < 0 || (fds[1].revents & POLLIN)) {
            if (m_watchFd >= 0) Drain(m_watchFd);
            clientAbsent = false;  // look again; a spurious wake costs one poll
        }
        flushDue(now);
        if (m_hangUpWhenSent && m_out.empty()) {
            // Time for the tool to read the answer: a hang-up drops what the
            // port still holds.
            m_hangUpAt = now + milliseconds(20);
            m_hangUpWhenSent = false;
        }
        ++m_passes;
        m_changed.notify_all();
    }
}

void ModuleSimulator::flushDue(Clock::time_point now) {
    while (!m_out.empty() && !m_outBlocked && m_out.front().due <= now) {
        Pending& piece = m_out.front();
        ssize_t n = ::write(m_pty->masterFd(), piece.bytes.data(), piece.bytes.size());
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            m_outBlocked = errno == EAGAIN;
            continue;
        }
        if (n <= 0) {
            m_out.pop_front();  // nobody listens: the module talks into the void
            continue;
        }
        if (piece.noise) {
            m_noiseSent += static_cast<std::uint64_t>(n);  // a flood would fill the memory
        } else {
            m_sent.push_back({Clock::now(), piece.bytes.substr(0, static_cast<std::size_t>(n))});
        }
        piece.bytes.erase(0, static_cast<std::size_t>(n));
        if (piece.bytes.empty()) {
            m_out.pop_front();
        } else {
            m_outBlocked = true;
        }
        changed();
    }
}

void ModuleSimulator::queueNoise(Clock::time_point now) {
    std::string bytes = m_noise.take(now, m_out.empty());
    if (!bytes.empty()) m_out.push_back({now, std::move(bytes), true});
}

void ModuleSimulator::schedule(const std::vector<std::string>& pieces, Clock::time_point start,
                               milliseconds gap) {
    if (m_noise.active()) {
        if (m_noise.kind() == Noise::Garbage && !pieces.empty()) {
            m_out.push_back({start, m_shape.garbage.empty() ? "#garbage#" : m_shape.garbage});
        }
        return;
    }
    // Replies never overtake each other, whatever their delays.
    Clock::time_point due = std::max(start, m_lastDue);
    for (const std::string& piece : pieces) {
        m_out.push_back({due, piece});
        m_lastDue = due;
        due += gap;
    }
}

void ModuleSimulator::record(Unit unit, std::string bytes, Clock::time_point now) {
    m_noise.onUnit(bytes, now);
    m_received.push_back({now, unit, std::move(bytes)});
    changed();
}

void ModuleSimulator::feed(const std::string& chunk, Clock::time_point now) {
    m_in += chunk;
    while (!m_in.empty()) {
        if (m_loaderState == LoaderState::Frames) {
            SimFrame frame;
            SimFrameParse parsed = TakeSimFrame(m_in, frame);
            if (parsed == SimFrameParse::NeedMore) return;
            if (parsed == SimFrameParse::NotAFrame) {
                // Not a frame where one must start: the loader gives up and the
                // module is back at its AT prompt.
                m_loaderState = LoaderState::Off;
                continue;
            }
            onFrame(frame, now);
        } else if (m_loaderState == LoaderState::Ready) {
            if (m_in[0] == 'P') {
                m_in.erase(0, 1);
                onLoaderRequest(now);
            } else if (m_in[0] == '\x06') {
                m_in.erase(0, 1);
                m_loaderState = LoaderState::Frames;
                m_loaderStarted = true;
                record(Unit::LoaderStart, "\x06", now);
            } else {
                m_loaderState = LoaderState::Off;
            }
        } else if (!takeAtUnit(now)) {
            return;
        }
    }
}

bool ModuleSimulator::takeAtUnit(Clock::time_point now) {
    std::size_t start = m_in.find_first_not_of("\r\n");
    if (start != 0) {
        // A "\n" that completes the "\r" of the line before (the pair came in
        // two reads) belongs to that line's record.
        if (m_lastLineEndedWithCr && m_in[0] == '\n' && !m_received.empty() &&
            m_received.back().unit == Unit::Line) {
            m_received.back().bytes += '\n';
        }
        m_lastLineEndedWithCr = false;
        m_in.erase(0, start == std::string::npos ? m_in.size() : start);
        if (m_in.empty()) return false;
    }
    if (m_in.compare(0, 3, "+++") == 0) {
        m_in.erase(0, 3);
        onCommandMode(now);
        return true;
    }
    if (m_in[0] == 'P') {
        m_in.erase(0, 1);
        onLoaderRequest(now);
        return true;
    }
    std::size_t end = m_in.find_first_of("\r\n");
    if (end == std::string::npos) {
        std::size_t plus = m_in.find("+++");
        if (plus != std::string::npos || m_in.size() > kMaxPending) {
            std::size_t drop = plus == std::string::npos ? m_in.size() : plus;
            record(Unit::Discarded, m_in.substr(0, drop), now);
            m_in.erase(0, drop);
            return true;
        }
        return false;
    }
    std::size_t length = end + 1;
    if (m_in[end] == '\r' && length < m_in.size() && m_in[length] == '\n') ++length;
    std::string line = m_in.substr(0, length);
    m_in.erase(0, length);
    m_lastLineEndedWithCr = line.back() == '\r';
    onLine(line, now);
    return true;
}

ModuleSimulator::Fault ModuleSimulator::takeFault(const std::string& unit) {
    for (FaultRule& rule : m_faults) {
        if (rule.times != 0 && unit.compare(0, rule.prefix.size(), rule.prefix) == 0) {
            if (rule.times > 0) --rule.times;
            return rule.fault;
        }
    }
    return Fault::None;
}

void ModuleSimulator::reply(const std::string& text, const std::string& tag, Fault fault,
                            Clock::time_point now) {
    schedule(ShapeSimReply(text, tag, fault, m_shape), now, m_splitPause);
}

void ModuleSimulator::onCommandMode(Clock::time_point now) {
    record(Unit::CommandMode, "+++", now);
    Fault fault = takeFault("+++");
    if (fault == Fault::Silence) return;
    if (fault != Fault::Error) m_commandMode = true;
    reply(SimOkReply(), "", fault, now);
}

void ModuleSimulator::onLine(const std::string& line, Clock::time_point now) {
    record(Unit::Line, line, now);
    if (m_requireCommandMode && !m_commandMode) return;
    Fault fault = takeFault(line);
    if (fault == Fault::Silence) return;
    std::string tag;
    std::string text = fault == Fault::Error
                           ? SimErrorReply()
                           : execute(line.substr(0, line.find_first_of("\r\n")), tag);
    reply(text, tag, fault, now);
}

std::string ModuleSimulator::execute(const std::string& body, std::string& tag) {
    if (body.size() < 2 || Upper(body.substr(0, 2)) != "AT") return SimErrorReply();
    const std::string cmd = body.substr(2);
    if (cmd.empty()) return SimOkReply();
    std::size_t eq = cmd.find('=');
    if (eq != std::string::npos) {
        const SimAtRow* row = FindSimAtSet(cmd.substr(0, eq));
        if (row == nullptr || row->replyTag[0] == '\0') return SimErrorReply();
        m_values[row->replyTag] = cmd.substr(eq + 1);
        changed();
        return SimOkReply();
    }
    if (Upper(cmd) == "+SAV") {
        m_saved = m_values;
        ++m_saveCount;
        changed();
        return SimOkReply();
    }
    if (const SimAtRow* row = FindSimAtQuery(cmd)) {
        tag = row->replyTag;
        const std::string key = row->key;
        if (key == "AT_VER") return SimVersionReply(versionReplyLocked());
        if (key == "AT_GMR") return SimValueReply(tag, m_gmr);
        return SimValueReply(tag, m_values[tag]);
    }
    if (const SimAtRow* row = FindSimAtSet(cmd)) {
        const std::string key = row->key;
        if (key == "AT_REBOOT") {
            ++m_restartCount;
            m_values = m_saved;
            m_commandMode = false;
        } else if (key == "AT_FACTORY") {
            m_values = m_saved = SimFactoryValues(m_identity.flavour);
        } else {
            return SimErrorReply();  // a parameter's set line needs a value
        }
        changed();
        return SimOkReply();
    }
    return SimErrorReply();
}

void ModuleSimulator::onLoaderRequest(Clock::time_point now) {
    record(Unit::LoaderRequest, "P", now);
    ++m_loaderRequests;
    if (!m_loader.answer || m_loaderRequests <= m_loader.ignoreRequests) return;
    m_loaderState = LoaderState::Ready;
    if (m_loader.splitReady) {
        schedule({"PF", "F-"}, now, m_loader.splitPause);
    } else {
        schedule({"PFF-"}, now, milliseconds(0));
    }
}

void ModuleSimulator::onFrame(const SimFrame& frame, Clock::time_point now) {
    std::string raw = "\x02";
    raw += static_cast<char>(frame.payload.size() >> 8);
    raw += static_cast<char>(frame.payload.size() & 0xFF);
    raw += frame.payload;
    raw += static_cast<char>(frame.checksum);
    raw += static_cast<char>(frame.end);
    LoaderFrame info;
    info.at = now;
    info.length = frame.payload.size();
    info.checksum = frame.checksum;
    info.checksumOk = frame.checksum == SimSum8(frame.payload);
    info.last = frame.end == 0x03;
    info.endOk = info.last || frame.end == 0x17;
    m_frames.push_back(info);
    if (info.checksumOk) m_image += frame.payload;
    record(Unit::Frame, raw, now);
    if (info.last) {
        // The new firmware starts: the loader is done and command mode is gone.
        m_loaderState = LoaderState::Off;
        m_loaderComplete = true;
        m_commandMode = false;
        return;
    }
    if (m_loader.answerFrames >= 0 && m_framesAnswered >= m_loader.answerFrames) return;
    ++m_framesAnswered;
    unsigned char answer = info.checksumOk && info.endOk ? m_loader.ackByte : m_loader.nakByte;
    schedule({std::string(1, static_cast<char>(answer))}, now + m_loader.ackDelay,
             milliseconds(0));
    if (m_framesAnswered == m_loader.hangUpAfterFrames) m_hangUpWhenSent = true;
}

std::string ModuleSimulator::tagOf(const std::string& key) const {
    const SimAtRow* row = FindSimAtRow(key);
    return row != nullptr && row->replyTag[0] != '\0' ? row->replyTag : key;
}

std::string ModuleSimulator::portName() const { return m_portName; }

std::string ModuleSimulator::devicePath() const { return m_devicePath; }

void ModuleSimulator::setIdentity(const Identity& identity) {
    std::lock_guard lock(m_mutex);
    m_identity = identity;
    m_values = m_saved = SimFactoryValues(identity.flavour);
    changed();
}

ModuleSimulator::Identity ModuleSimulator::identity() const {
    std::lock_guard lock(m_mutex);
    return m_identity;
}

void ModuleSimulator::setVersionReply(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_versionOverride = text;
}

std::string ModuleSimulator::versionReply() const {
    std::lock_guard lock(m_mutex);
    return versionReplyLocked();
}

std::string ModuleSimulator::versionReplyLocked() const {
    return m_versionOverride.empty() ? m_identity.versionText() : m_versionOverride;
}

void ModuleSimulator::setGmrText(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_gmr = text;
}

std::string ModuleSimulator::value(const std::string& key) const {
    std::lock_guard lock(m_mutex);
    auto it = m_values.find(tagOf(key));
    return it == m_values.end() ? std::string() : it->second;
}

void ModuleSimulator::setValue(const std::string& key, const std::string& value) {
    std::lock_guard lock(m_mutex);
    const std::string tag = tagOf(key);
    m_values[tag] = value;
    m_saved[tag] = value;
    changed();
}

std::string ModuleSimulator::factoryValue(const std::string& key) const {
    std::lock_guard lock(m_mutex);
    auto factory = SimFactoryValues(m_identity.flavour);
    auto it = factory.find(tagOf(key));
    return it == factory.end() ? std::string() : it->second;
}

bool ModuleSimulator::inCommandMode() const {
    std::lock_guard lock(m_mutex);
    return m_commandMode;
}

void ModuleSimulator::setRequireCommandMode(bool require) {
    std::lock_guard lock(m_mutex);
    m_requireCommandMode = require;
}

int ModuleSimulator::saveCount() const {
    std::lock_guard lock(m_mutex);
    return m_saveCount;
}

int ModuleSimulator::restartCount() const {
    std::lock_guard lock(m_mutex);
    return m_restartCount;
}

void ModuleSimulator::setFault(Fault fault, const std::string& linePrefix, int times) {
    std::lock_guard lock(m_mutex);
    m_faults.push_back({linePrefix, fault, times});
}

void ModuleSimulator::clearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

void ModuleSimulator::rejectSet(const std::string& key) {
    const SimAtRow* row = FindSimAtRow(key);
    setFault(Fault::Error, "AT" + std::string(row != nullptr ? row->setCmd : key.c_str()) + "=");
}

void ModuleSimulator::ackCommandModeAfter(int ignored) {
    if (ignored > 0) setFault(Fault::Silence, "+++", ignored);
}

void ModuleSimulator::setSplit(std::size_t at, milliseconds pause) {
    std::lock_guard lock(m_mutex);
    m_shape.splitAt = at;
    m_splitPause = pause;
}

void ModuleSimulator::setOverLongSize(std::size_t bytes) {
    std::lock_guard lock(m_mutex);
    m_shape.overLongSize = bytes;
}

void ModuleSimulator::setGarbage(const std::string& bytes) {
    std::lock_guard lock(m_mutex);
    m_shape.garbage = bytes;
}

void ModuleSimulator::startNoise(Noise noise, const std::string& fromUnit, int nth,
                                 milliseconds period) {
    {
        std::lock_guard lock(m_mutex);
        m_noise.arm(noise, fromUnit, nth, period, Clock::now());
    }
    signalThread();
}

bool ModuleSimulator::noiseActive() const {
    std::lock_guard lock(m_mutex);
    return m_noise.active();
}

std::uint64_t ModuleSimulator::noiseBytesSent() const {
    std::lock_guard lock(m_mutex);
    return m_noiseSent;
}

void ModuleSimulator::setLoaderOptions(const LoaderOptions& options) {
    std::lock_guard lock(m_mutex);
    m_loader = options;
}

int ModuleSimulator::loaderRequests() const {
    std::lock_guard lock(m_mutex);
    return m_loaderRequests;
}

bool ModuleSimulator::loaderStarted() const {
    std::lock_guard lock(m_mutex);
    return m_loaderStarted;
}

bool ModuleSimulator::loaderComplete() const {
    std::lock_guard lock(m_mutex);
    return m_loaderComplete;
}

std::string ModuleSimulator::loaderImage() const {
    std::lock_guard lock(m_mutex);
    return m_image;
}

std::vector<ModuleSimulator::LoaderFrame> ModuleSimulator::loaderFrames() const {
    std::lock_guard lock(m_mutex);
    return m_frames;
}

std::vector<std::size_t> ModuleSimulator::loaderFrameSizes() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::size_t> sizes;
    for (const LoaderFrame& frame : m_frames) sizes.push_back(frame.length);
    return sizes;
}

void ModuleSimulator::resetLoader() {
    std::lock_guard lock(m_mutex);
    m_loaderState = LoaderState::Off;
    m_loaderRequests = 0;
    m_framesAnswered = 0;
    m_loaderStarted = false;
    m_loaderComplete = false;
    m_image.clear();
    m_frames.clear();
}

void ModuleSimulator::hangUp() {
    {
        std::lock_guard lock(m_mutex);
        if (m_hungUp) return;
        m_hangUpRequested = true;
    }
    signalThread();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_hungUp; });
}

std::optional<ModuleSimulator::LineSettings> ModuleSimulator::lineSettings() const {
    std::lock_guard lock(m_mutex);
    LineSettings settings;
    if (!ReadPtyLineSettings(m_pty->masterFd(), settings)) return std::nullopt;
    return settings;
}

std::vector<ModuleSimulator::Received> ModuleSimulator::received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

std::vector<std::string> ModuleSimulator::receivedLines() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> lines;
    for (const Received& unit : m_received) {
        if (unit.unit == Unit::Line || unit.unit == Unit::CommandMode) lines.push_back(unit.bytes);
    }
    return lines;
}

int ModuleSimulator::countReceived(const std::string& bytes) const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_received.begin(), m_received.end(),
                                          [&](const Received& r) { return r.bytes == bytes; }));
}

std::vector<ModuleSimulator::Sent> ModuleSimulator::sent() const {
    std::lock_guard lock(m_mutex);
    return m_sent;
}

std::string ModuleSimulator::sentText() const {
    std::lock_guard lock(m_mutex);
    std::string text;
    for (const Sent& piece : m_sent) text += piece.bytes;
    return text;
}

void ModuleSimulator::clearRecord() {
    std::lock_guard lock(m_mutex);
    m_received.clear();
    m_sent.clear();
}

bool ModuleSimulator::waitFor(const std::function<bool()>& pred, milliseconds bound) const {
    const Clock::time_point deadline = Clock::now() + bound;
    for (;;) {
        std::uint64_t seen;
        {
            std::lock_guard lock(m_mutex);
            seen = m_changes;
        }
        if (pred()) return true;
        std::unique_lock lock(m_mutex);
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            lock.unlock();
            return pred();
        }
        m_changed.wait_until(lock, std::min(deadline, now + kRecheck),
                             [&] { return m_changes != seen; });
    }
}

bool ModuleSimulator::settle(milliseconds bound) const {
    const Clock::time_point deadline = Clock::now() + bound;
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Two passes after a wake-up: the second began after the wake-up, so it
        // has read whatever was queued before it.
        for (int pass = 0; pass < 2; ++pass) {
            const std::uint64_t before = m_passes;
            signalThread();
            if (!m_changed.wait_until(lock, deadline,
                                      [&] { return m_passes > before || m_hungUp; })) {
                return false;
            }
        }
        int queued = 0;
        if (m_hungUp || (::ioctl(m_pty->masterFd(), FIONREAD, &queued) == 0 && queued == 0)) {
            return true;
        }
    }
}

bool ModuleSimulator::waitForReceived(const std::string& bytes, int count,
                                      milliseconds bound) const {
    return waitFor([&] { return countReceived(bytes) >= count; }, bound);
}
