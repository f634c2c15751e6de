// CSerial on a Linux tty: termios, poll and eventfd.
#include "link/serial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "catalogue/app_directory.h"
#include "link/serial_line_speed.h"
#include "link/serial_port_list.h"
#include "platform/profile.h"

namespace {

constexpr std::uint32_t kReadAvailableMax = 1024;

std::mutex g_listerMutex;  // guards the two below
CSerial::PortLister g_lister;
std::vector<std::string> g_namedPorts;

// Blocked signals aside, only these errors mean "try again"; every other
// error of a tty read or write means the port is no longer usable.
bool IsRetryable(int error)
{
    return error == EINTR || error == EAGAIN || error == EWOULDBLOCK;
}

void Drain(int eventFd)
{
    eventfd_t value = 0;
    while (::eventfd_read(eventFd, &value) < 0 && errno == EINTR) {
    }
}

// Waits for the entries; time-outs below a millisecond count, so the read
// deadlines hold to the clock rather than to poll's millisecond steps.
int WaitFor(pollfd* entries, nfds_t count, std::optional<SerialClock::duration> wait)
{
    timespec span{};
    timespec* limit = nullptr;
    if (wait) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::max(*wait, SerialClock::duration::zero()));
        span.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
        span.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
        limit = &span;
    }
    return ::ppoll(entries, count, limit, nullptr);
}

std::optional<SerialClock::duration> Earlier(std::optional<SerialClock::duration> a,
                                             std::optional<SerialClock::duration> b)
{
    if (!a) {
        return b;
    }
    if (!b) {
        return a;
    }
    return std::min(*a, *b);
}

bool IsValidPortName(const std::string& port)
{
    // The name is appended to "/dev/" whole; it must not climb out of it.
    return !port.empty() && port.front() != '/' && port.find('\0') == std::string::npos &&
           port != ".." && port.find("../") == std::string::npos &&
           (port.size() < 3 || port.compare(port.size() - 3, 3, "/..") != 0);
}

tcflag_t DataBitsFlag(std::uint8_t dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return 0;
    }
}

std::optional<tcflag_t> ParityFlags(std::uint8_t parity)
{
    switch (parity) {
    case 0: return 0;
    case 1: return PARENB | PARODD;
    case 2: return PARENB;
    case 3: return PARENB | CMSPAR | PARODD;  // mark: the parity bit always 1
    case 4: return PARENB | CMSPAR;           // space: always 0
    default: return std::nullopt;
    }
}

// Unix98 pseudo-terminal slaves (majors 136-143).
bool IsPseudoTerminal(int fd)
{
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && major(info.st_rdev) >= 136 &&
           major(info.st_rdev) <= 143;
}

}  // namespace

// Holds the descriptor for one operation; Close waits until none is held.
class CSerial::PortUse {
public:
    explicit PortUse(CSerial& port) : m_port(port)
    {
        m_port.m_users.fetch_add(1);
        m_fd = m_port.m_fd.load();
        if (m_fd >= 0 && m_port.m_gone.load()) {
            m_fd = -1;
        }
    }
    ~PortUse()
    {
        if (m_port.m_users.fetch_sub(1) == 1) {
            m_port.m_users.notify_all();
        }
    }
    PortUse(const PortUse&) = delete;
    PortUse& operator=(const PortUse&) = delete;

    int fd() const { return m_fd; }

private:
    CSerial& m_port;
    int m_fd;
};

CSerial::CSerial() : m_closing(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (m_closing < 0) {
        std::abort();  // as AbortEvent: a port that cannot be closed safely is no port
    }
}

CSerial::~CSerial()
{
    Close();
    ::close(m_closing);
}

bool CSerial::IsOpen() const
{
    return m_fd.load() >= 0;
}

void CSerial::Close()
{
    const int fd = m_fd.exchange(-1);
    if (fd < 0) {
        return;
    }
    // Wake a receive thread waiting on the port, and wait until it has let
    // go of the descriptor before the number can be reused.
    ::eventfd_write(m_closing, 1);
    for (int users = m_users.load(); users != 0; users = m_users.load()) {
        m_users.wait(users);
    }
    Drain(m_closing);
    // A pseudo-terminal keeps the exclusive flag after its last close.
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
    m_gone.store(false);
    std::lock_guard lock(m_mutex);
    m_pending.clear();
}

bool CSerial::Open(const std::string& port, std::uint32_t baud, std::uint8_t dataBits,
                   std::uint8_t parity, std::uint8_t stopBits)
{
    m_openFailure = {};
    const std::string settingsFile = GetSettingsFilePath();
    if (!OpenHandle(port)) {
        // Not even a port that was open before stays open after a failed Open.
        Close();
        return false;
    }
    COMMTIMEOUTS timeouts = GetTimeouts();
    const auto read = [&](const char* key, int defaultValue) {
        return static_cast<std::uint32_t>(
            ReadProfileInt("COM_TIMEOUT_PARAM", key, defaultValue, settingsFile));
    };
    timeouts.WriteTotalTimeoutMultiplier = read("WriteTotalTimeoutMultiplier", 0);
    timeouts.WriteTotalTimeoutConstant = read("WriteTotalTimeoutConstant", 300);
    timeouts.ReadIntervalTimeout = read("ReadIntervalTimeout", 150);
    timeouts.ReadTotalTimeoutMultiplier = read("ReadTotalTimeoutMultiplier", 0);
    timeouts.ReadTotalTimeoutConstant =
        SlowBaudReadTotalConstant(read("ReadTotalTimeoutConstant", 1000), baud);
    if (!SetTimeouts(timeouts) || !SetupBuffers()) {
        OpenFailed(ENODEV);
    } else if (!Purge()) {
        OpenFailed(errno);
    }
    if (m_openFailure.error != OpenError::None ||
        !SetLineSettings(baud, dataBits, parity, stopBits)) {
        Close();
        return false;
    }
    return true;
}

bool CSerial::OpenFailed(int systemError)
{
    m_openFailure = DecodeSystemError(systemError);
    return false;
}

bool CSerial::OpenHandle(const std::string& port)
{
    if (IsOpen()) {
        m_openFailure = {OpenError::AlreadyOpen, 0};
        return false;
    }
    if (!IsValidPortName(port)) {
        return OpenFailed(ENOENT);
    }
    // The whole name: a cut one could open another device than the chosen one.
    const std::string path = "/dev/" + port;
    int fd = -1;
    while ((fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) < 0 &&
           errno == EINTR) {
    }
    if (fd < 0) {
        return OpenFailed(errno);
    }
    // TIOCEXCL keeps other programs out but not root; the lock keeps out a
    // second CSerial whoever runs it.
    if (!::isatty(fd) || ::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return OpenFailed(error);
    }
    m_gone.store(false);
    m_fd.store(fd);
    return true;
}

bool CSerial::SetupBuffers()
{
    // A tty reports no queue sizes and takes none (the line discipline keeps
    // a fixed 4 KB, the driver its own), so QueueSizeFor has nothing to size.
    return IsOpen();
}

bool CSerial::SetLineSettings(std::uint32_t baud, std::uint8_t dataBits, std::uint8_t parity,
                              std::uint8_t stopBits)
{
    PortUse use(*this);
    const tcflag_t size = DataBitsFlag(dataBits);
    const std::optional<tcflag_t> parityFlags = ParityFlags(parity);
    if (use.fd() < 0) {
        return OpenFailed(ENODEV);
    }
    // Stop bits 1 (one and a half) have no termios setting.
    if (size == 0 || !parityFlags || (stopBits != 0 && stopBits != 2)) {
        return OpenFailed(EINVAL);
    }
    termios settings{};
    if (::tcgetattr(use.fd(), &settings) != 0) {
        return OpenFailed(errno);
    }
    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                          IXOFF | IXANY);
    if (parity != 0) {
        settings.c_iflag |= INPCK;  // without parity, checking stays as the driver had it
    }
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    const tcflag_t lineMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    const tcflag_t line = size | *parityFlags | (stopBits == 2 ? CSTOPB : 0);
    settings.c_cflag &= ~(lineMask | CRTSCTS);
    settings.c_cflag |= line | CLOCAL | CREAD;
    // With O_NONBLOCK, VMIN 1 makes an empty read fail with EAGAIN, so that a
    // read of 0 bytes can only mean a hang-up.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    // A pseudo-terminal has no line: the kernel forces 8 data bits without
    // parity, which some C libraries report as EINVAL.
    const bool pseudo = IsPseudoTerminal(use.fd());
    if (::tcsetattr(use.fd(), TCSANOW, &settings) != 0 && !(pseudo && errno == EINVAL)) {
        return OpenFailed(errno);
    }
    // A rate the driver takes but cannot reach closely enough sets no errno.
    errno = 0;
    if (!SetLineSpeed(use.fd(), baud)) {
        return OpenFailed(errno == 0 ? EINVAL : errno);
    }
    // The kernel applies what the driver can do and drops the rest silently
    // (mark parity on some adapters, say); that counts as refused.
    const tcflag_t checked = pseudo ? lineMask & ~(CSIZE | PARENB) : lineMask;
    termios applied{};
    if (::tcgetattr(use.fd(), &applied) != 0) {
        return OpenFailed(errno);
    }
    if ((applied.c_cflag & checked) != (line & checked)) {
        return OpenFailed(EINVAL);
    }
    return true;
}

bool CSerial::Purge()
{
    PortUse use(*this);
    if (use.fd() < 0) {
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_pending.clear();
    }
    return ::tcflush(use.fd(), TCIOFLUSH) == 0;
}

COMMTIMEOUTS CSerial::GetTimeouts() const
{
    std::lock_guard lock(m_mutex);
    return m_timeouts;
}

bool CSerial::SetTimeouts(const COMMTIMEOUTS& timeouts)
{
    if (!IsOpen()) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_timeouts = timeouts;
    return true;
}

void CSerial::MarkGone()
{
    m_gone.store(true);
}

std::uint32_t CSerial::TakePending(std::uint8_t* buffer, std::uint32_t count)
{
    std::lock_guard lock(m_mutex);
    const auto taken = static_cast<std::uint32_t>(std::min<std::size_t>(count, m_pending.size()));
    std::copy_n(m_pending.begin(), taken, buffer);
    m_pending.erase(m_pending.begin(), m_pending.begin() + taken);
    return taken;
}

void CSerial::PutBackPending(const std::uint8_t* data, std::uint32_t count)
{
    std::lock_guard lock(m_mutex);
    m_pending.insert(m_pending.begin(), data, data + count);
}

CSerial::ReadResult CSerial::ReadWithin(std::uint8_t* buffer, std::uint32_t count,
                                        const COMMTIMEOUTS& timeouts, ReadLimits limits)
{
    PortUse use(*this);
    if (use.fd() < 0) {
        return {0, ReadEnd::Failed};
    }
    const SerialClock::time_point start = SerialClock::now();
    ReadDeadline deadline(timeouts, count, start);
    const SerialClock::time_point ownEnd =
        start + std::chrono::milliseconds(limits.ownLimitMs.value_or(0));

    std::uint32_t got = TakePending(buffer, count);
    if (got > 0) {
        deadline.BytesArrived(start);
    }
    bool readable = true;  // try a read before the first wait
    for (;;) {
        if (got == count || (got > 0 && deadline.EndsAtFirstByte())) {
            return {got, ReadEnd::Complete};
        }
        if (readable) {
            const ssize_t n = ::read(use.fd(), buffer + got, count - got);
            if (n > 0) {
                got += static_cast<std::uint32_t>(n);
                deadline.BytesArrived(SerialClock::now());
                continue;
            }
            if (n == 0 || !IsRetryable(errno)) {
                MarkGone();  // readable yet nothing to read, or EIO: the port is gone
                return {got, ReadEnd::Failed};
            }
            if (errno == EINTR) {
                continue;
            }
        }
        const SerialClock::time_point now = SerialClock::now();
        const auto portLeft = deadline.Remaining(now);
        const auto ownLeft =
            limits.ownLimitMs ? std::optional(ownEnd - now) : std::nullopt;
        if (ownLeft && ownLeft->count() <= 0) {
            return {got, ReadEnd::LimitPassed};
        }
        if (portLeft && portLeft->count() <= 0) {
            return {got, ReadEnd::TimedOut};
        }
        if (limits.watchAbort && m_hAbort.IsSet()) {
            return {got, ReadEnd::Aborted};
        }
        pollfd entries[3] = {{use.fd(), POLLIN, 0},
                             {m_closing, POLLIN, 0},
                             {m_hAbort.Fd(), POLLIN, 0}};
        const int ready = WaitFor(entries, limits.watchAbort ? 3 : 2, Earlier(portLeft, ownLeft));
        if (ready < 0) {
            if (errno == EINTR) {
                readable = false;
                continue;
            }
            return {got, ReadEnd::Failed};
        }
        if (entries[1].revents != 0) {
            return {got, ReadEnd::Failed};  // being closed
        }
        if (limits.watchAbort && entries[2].revents != 0) {
            return {got, ReadEnd::Aborted};
        }
        // POLLHUP without POLLIN: the read finds EIO or 0 and ends as gone.
        readable = entries[0].revents != 0;
    }
}

std::uint32_t CSerial::Read(void* buffer, std::uint32_t count)
{
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    const ReadResult result = ReadWithin(bytes, count, GetTimeouts(), {true, std::nullopt});
    switch (result.end) {
    case ReadEnd::Complete:
    case ReadEnd::TimedOut:
        return result.count;
    case ReadEnd::Aborted:
        // What this read took stays for the next one, so cancelling a job
        // loses no byte of the module's answer.
        PutBackPending(bytes, result.count);
        return 0;
    default:
        return 0;
    }
}

std::uint32_t CSerial::ReadTimeout(void* buffer, std::uint32_t count, std::uint32_t milliseconds)
{
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    const ReadResult result = ReadWithin(bytes, count, GetTimeouts(), {true, milliseconds});
    if (result.end == ReadEnd::Aborted) {
        PutBackPending(bytes, result.count);
    }
    const bool inTime = result.end == ReadEnd::Complete || result.end == ReadEnd::TimedOut;
    return inTime ? result.count : 0;
}

std::uint32_t CSerial::ReadAvailable(std::uint8_t* buffer, std::uint32_t size)
{
    const std::uint32_t limit = std::min(size, kReadAvailableMax);
    const COMMTIMEOUTS timeouts = GetTimeouts();
    // Reading bytes one at a time is the same as taking whatever has arrived
    // and waiting one read's time-out whenever nothing has: a one-byte read
    // ends at the byte, or after multiplier + constant. Every such wait also
    // watches the abort event, or a byte now and then would hold a Cancel
    // for up to 1024 read time-outs.
    std::uint32_t stored = 0;
    while (stored < limit) {
        const ReadResult result = ReadWithin(buffer + stored, 1, timeouts, {true, std::nullopt});
        if (result.end == ReadEnd::Aborted) {
            PutBackPending(buffer, stored + result.count);
            return 0;
        }
        stored += result.count;
        if (result.count == 0 || result.end == ReadEnd::Failed) {
            break;
        }
        // Take what else is already there without waiting.
        COMMTIMEOUTS noWait{};
        noWait.ReadIntervalTimeout = kMaxDword;
        const ReadResult rest = ReadWithin(buffer + stored, limit - stored, noWait, {});
        stored += rest.count;
        if (rest.end == ReadEnd::Failed) {
            break;
        }
    }
    return stored;
}

std::uint32_t CSerial::Write(const void* data, std::uint32_t count)
{
    PortUse use(*this);
    if (use.fd() < 0) {
        return 0;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const SerialClock::time_point start = SerialClock::now();
    const std::optional<SerialClock::time_point> end = WriteDeadline(GetTimeouts(), count, start);
    std::uint32_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(use.fd(), bytes + written, count - written);
        if (n > 0) {
            written += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && !IsRetryable(errno)) {
            MarkGone();
            return 0;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        const auto left =
            end ? std::optional<SerialClock::duration>(*end - SerialClock::now()) : std::nullopt;
        if (left && left->count() <= 0) {
            break;  // the write time-out: what went out so far
        }
        pollfd entries[2] = {{use.fd(), POLLOUT, 0}, {m_closing, POLLIN, 0}};
        const int ready = WaitFor(entries, 2, left);
        if (ready < 0 && errno != EINTR) {
            return 0;
        }
        if (entries[1].revents != 0) {
            return 0;
        }
        if ((entries[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            MarkGone();
            return 0;
        }
    }
    return written;
}

std::uint32_t CSerial::WaitCommEvent(std::uint32_t milliseconds)
{
    PortUse use(*this);
    if (use.fd() < 0) {
        return IsOpen() && m_gone.load() ? EV_PORT_GONE : 0;
    }
    {
        std::lock_guard lock(m_mutex);
        if (!m_pending.empty()) {
            return EV_RXCHAR;
        }
    }
    const SerialClock::time_point end = SerialClock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        pollfd entries[2] = {{use.fd(), POLLIN, 0}, {m_closing, POLLIN, 0}};
        const int ready = WaitFor(entries, 2, end - SerialClock::now());
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || entries[1].revents != 0) {
            return 0;
        }
        if ((entries[0].revents & POLLIN) != 0) {
            return EV_RXCHAR;
        }
        MarkGone();
        return EV_PORT_GONE;
    }
}

bool CSerial::ClearCommError(std::uint32_t& errors, std::uint32_t& inQueue)
{
    PortUse use(*this);
    int queued = 0;
    if (use.fd() < 0 || ::ioctl(use.fd(), FIONREAD, &queued) != 0) {
        return false;
    }
    errors = 0;
    std::lock_guard lock(m_mutex);
    inQueue = static_cast<std::uint32_t>(queued) + static_cast<std::uint32_t>(m_pending.size());
    return true;
}

bool CSerial::EnumPorts(std::vector<std::string>& out)
{
    PortLister lister;
    {
        std::lock_guard lock(g_listerMutex);
        lister = g_lister;
    }
    std::vector<std::string> names = lister ? lister() : ListKernelSerialPorts();
    const std::vector<std::string> named = ExistingPortNodes(NamedPorts());
    names.insert(names.end(), named.begin(), named.end());
    if (names.empty()) {
        return false;
    }
    // A port the user named may be one the kernel lists too.
    SortPortNames(names);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    out.insert(out.end(), names.begin(), names.end());
    return true;
}

void CSerial::SetPortLister(PortLister lister)
{
    std::lock_guard lock(g_listerMutex);
    g_lister = std::move(lister);
}

void CSerial::SetNamedPorts(std::vector<std::string> names)
{
    std::lock_guard lock(g_listerMutex);
    g_namedPorts = std::move(names);
}

std::vector<std::string> CSerial::NamedPorts()
{
    std::lock_guard lock(g_listerMutex);
    return g_namedPorts;
}
