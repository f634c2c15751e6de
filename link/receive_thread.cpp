// The receive thread: while the command window is open, every chunk of bytes
// the module sends goes to the window's callback on this thread.
//
// Each pass waits at most 500 ms on CSerial::WaitCommEvent, which polls and
// leaves nothing outstanding when it returns, so no wait can outlive the loop
// or write into its buffer afterwards. A port that went away ends the loop:
// a hung-up tty stays "readable" for ever, and looping on it would burn a
// whole core.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "catalogue/log_record.h"
#include "link/com_device.h"

namespace {

constexpr std::uint32_t kEventWaitMs = 500;
constexpr std::uint32_t kChunkSize = 4096;
// A stream comes a few bytes at a time (a UART's FIFO, a USB adapter's
// packet); read each handful on its own and every millisecond would post a
// record and wake the UI thread. After a read that found less than half a
// chunk the bytes gather this long: the log shows them once a frame anyway.
// A burst fills the tty's buffer (4 KiB) between two reads and is read on
// without a pause, as fast as it comes.
constexpr std::chrono::milliseconds kGatherTime{10};

}  // namespace

bool CComDevice::StartEventThread(ReceiveCallback callback, void* user) {
    if (!m_serial.IsOpen()) {
        return false;
    }
    if (m_eventThread) {
        LogPrintf(LOG_ERROR, "event thread is running");
        return false;
    }
    // Purged here rather than on the new thread: a line the command window
    // writes right after this returns must not be thrown away by a purge
    // that happens to run later.
    m_serial.Purge();
    m_receiveCallback = std::move(callback);
    m_receiveUser = user;
    m_eventThreadRunning = 1;
    m_eventThread = std::make_unique<std::thread>(&CComDevice::EventLoop, this);
    return true;
}

bool CComDevice::StopEventThread() {
    m_eventThreadRunning = 0;
    if (m_eventThread) {
        m_eventThread->join();
        m_eventThread.reset();
    }
    m_receiveCallback = nullptr;
    m_receiveUser = nullptr;
    return true;
}

void CComDevice::EventLoop() {
    char buffer[kChunkSize];
    while (m_eventThreadRunning != 0 && m_serial.IsOpen()) {
        const std::uint32_t events = m_serial.WaitCommEvent(kEventWaitMs);
        if (m_eventThreadRunning == 0 || !m_serial.IsOpen() || (events & EV_PORT_GONE) != 0) {
            return;
        }
        std::uint32_t errors = 0;
        std::uint32_t inQueue = 0;
        if ((events & EV_ERR) != 0 && m_serial.ClearCommError(errors, inQueue) && errors != 0) {
            m_serial.Purge();
        }
        if ((events & EV_RXCHAR) == 0) {
            continue;
        }
        // Unknown queue length: read what fits, the rest waits for the next
        // event. The read cannot block long: bytes are there.
        const std::uint32_t count =
            m_serial.ClearCommError(errors, inQueue) ? std::min(inQueue, kChunkSize) : kChunkSize;
        if (count == 0) {
            continue;
        }
        std::memset(buffer, 0, sizeof buffer);
        const std::uint32_t got = m_serial.Read(buffer, count);
        if (got > 0 && m_receiveCallback) {
            m_receiveCallback(buffer, got, m_receiveUser);
        }
        if (got < kChunkSize / 2) {
            std::this_thread::sleep_for(kGatherTime);
        }
    }
}
