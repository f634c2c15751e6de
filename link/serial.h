// The PC serial port: open by name with line settings and the time-outs of
// ParamCfg.ini, purge, write, and three kinds of read. Logs nothing; callers
// report failures.
//
// Every read and write blocks the calling thread until it ends (see
// link/serial_timeouts.h for when a read or write ends) and returns the
// number of bytes moved; 0 means failure, a closed port, or nothing arrived.
// A port that goes away while open (adapter pulled, hang-up, the other end of
// a pseudo-terminal closed) makes every read, write and wait return 0 at
// once until it is closed; IsOpen stays true until then, as the handle does.
//
// Threads: one thread at a time calls the methods, except that the command
// window may Write while the receive thread reads, Close may be called while
// the receive thread waits (the wait ends at once), and m_hAbort may be set
// and reset from any thread at any time.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "link/abort_event.h"
#include "link/serial_open_error.h"
#include "link/serial_timeouts.h"

// What WaitCommEvent reports.
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
// Kept for callers written against the Windows flags: Linux reports no line
// errors out of band, so this bit is never set.
inline constexpr std::uint32_t EV_ERR = 0x0080;
// The port went away; every further operation fails until Close.
inline constexpr std::uint32_t EV_PORT_GONE = 0x80000000u;

class CSerial {
public:
    // Gives the serial port names of the machine, unsorted; replaces the
    // kernel's list (tests list pseudo-terminals through it).
    using PortLister = std::function<std::vector<std::string>()>;

    CSerial();
    virtual ~CSerial();
    CSerial(const CSerial&) = delete;
    CSerial& operator=(const CSerial&) = delete;

    bool IsOpen() const;
    // True from the moment the port went away (hang-up, EIO) until Close.
    bool IsGone() const { return m_gone.load(); }
    void Close();

    // Opens "/dev/" + port exclusively, takes the time-outs of ParamCfg.ini
    // in GetAppDirectory() (section COM_TIMEOUT_PARAM, the read total constant
    // raised below 115200 baud), purges, and applies the line settings:
    // dataBits 5..8; parity 0 none, 1 odd, 2 even, 3 mark, 4 space; stopBits
    // 0 one, 2 two (1, one and a half, does not exist on Linux and is refused).
    // False, with the port closed, when any step fails; also when a port is
    // open already (that port is closed too). LastOpenFailure then says why.
    bool Open(const std::string& port, std::uint32_t baud, std::uint8_t dataBits,
              std::uint8_t parity, std::uint8_t stopBits);
    // Why the last Open failed; OpenError::None after a successful one.
    OpenFailure LastOpenFailure() const { return m_openFailure; }
    bool OpenHandle(const std::string& port);
    // Linux ttys have fixed driver buffers, so there is nothing to size:
    // true when the port is open.
    bool SetupBuffers();
    bool SetLineSettings(std::uint32_t baud, std::uint8_t dataBits, std::uint8_t parity,
                         std::uint8_t stopBits);

    // Drops everything not yet sent or read.
    bool Purge();

    // Ended by the port's time-outs, or by m_hAbort (then 0). Bytes that an
    // aborted read had already taken from the port are kept for the next read.
    // While m_hAbort is set, a read that cannot complete at once returns 0.
    std::uint32_t Read(void* buffer, std::uint32_t count);
    // Also ended after `milliseconds`: then 0, and the bytes this read took
    // are dropped. Ended by m_hAbort as Read is.
    std::uint32_t ReadTimeout(void* buffer, std::uint32_t count, std::uint32_t milliseconds);
    // Reads until one byte read finds the line quiet for the read total
    // time-out (multiplier + constant), or until min(size, 1024) bytes are
    // stored. Ended by m_hAbort as Read is, however often bytes trickle in.
    std::uint32_t ReadAvailable(std::uint8_t* buffer, std::uint32_t size);
    // Bounded by the write time-outs; on a time-out, the bytes written so far.
    std::uint32_t Write(const void* data, std::uint32_t count);

    COMMTIMEOUTS GetTimeouts() const;
    // False when the port is closed.
    bool SetTimeouts(const COMMTIMEOUTS& timeouts);

    // For the receive loop: waits at most `milliseconds` for received bytes;
    // EV_RXCHAR, EV_PORT_GONE, or 0 (time-out, port closed or closing).
    std::uint32_t WaitCommEvent(std::uint32_t milliseconds);
    // The number of received bytes waiting; errors is always 0 (see EV_ERR).
    // False when the port is closed or gone.
    bool ClearCommError(std::uint32_t& errors, std::uint32_t& inQueue);

    // Appends the serial port names, sorted by name (ttyS2 before ttyS10),
    // each once: the kernel's (or the lister's) and the named ports whose
    // device node exists; false, and out untouched, when there are none.
    static bool EnumPorts(std::vector<std::string>& out);
    // An empty lister restores the kernel's list.
    static void SetPortLister(PortLister lister);
    // Ports the user named (pseudo-terminals, say), listed while their device
    // node exists, whether or not the kernel knows them.
    static void SetNamedPorts(std::vector<std::string> names);
    static std::vector<std::string> NamedPorts();

    // The manual-reset abort event: ends the three reads, never a write.
    AbortEvent m_hAbort;

private:
    enum class ReadEnd { Complete, TimedOut, Aborted, LimitPassed, Failed };
    struct ReadResult {
        std::uint32_t count;
        ReadEnd end;
    };
    struct ReadLimits {
        bool watchAbort = false;
        std::optional<std::uint32_t> ownLimitMs;
    };
    class PortUse;

    ReadResult ReadWithin(std::uint8_t* buffer, std::uint32_t count, const COMMTIMEOUTS& timeouts,
                          ReadLimits limits);
    std::uint32_t TakePending(std::uint8_t* buffer, std::uint32_t count);
    void PutBackPending(const std::uint8_t* data, std::uint32_t count);
    void MarkGone();
    // Records why opening failed; false, for the caller to return.
    bool OpenFailed(int systemError);

    std::atomic<int> m_fd{-1};
    // Threads inside an operation on m_fd; Close waits for them to leave
    // before the descriptor number can be handed out again.
    std::atomic<int> m_users{0};
    std::atomic<bool> m_gone{false};
    // Readable while Close waits for the users to leave.
    int m_closing;
    OpenFailure m_openFailure;  // opening thread only
    mutable std::mutex m_mutex;  // guards the two below
    COMMTIMEOUTS m_timeouts;
    std::vector<std::uint8_t> m_pending;  // taken by an aborted read, not yet delivered
};
