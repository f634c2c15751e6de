// The firmware transfer: "P" until the loader answers "PFF-", then 0x06 and
// the image in frames of 0x02, big-endian length, payload, 8-bit sum and 0x03
// (last) or 0x17 (more), each but the last answered by any byte.
#include "link/firmware_transfer.h"

#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

#include "catalogue/log_record.h"
#include "link/com_device.h"

namespace {

constexpr std::uint32_t kAnswerSize = 1024;
constexpr int kPayloadSplit = 2048;
constexpr std::uint8_t kFrameStart = 0x02;
constexpr std::uint8_t kLastFrameEnd = 0x03;
constexpr std::uint8_t kMoreFrameEnd = 0x17;
constexpr std::uint8_t kTransferStart = 0x06;
constexpr std::uint8_t kAck = 0x05;

} // namespace

std::uint8_t Checksum8(const std::uint8_t* data, unsigned length)
{
    std::uint8_t sum = 0;
    for (unsigned i = 0; i < length; ++i) {
        sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    return sum;
}

bool LoaderReady(const std::uint8_t* data, std::size_t length)
{
    const std::string_view text(reinterpret_cast<const char*>(data), length);
    return text.find("PFF-") != std::string_view::npos;
}

FramePlan NextFrame(int size, int position, int block)
{
    // size - position cannot overflow; position + block can, near 2 GB.
    const int left = size - position;
    return block > left ? FramePlan{left, true} : FramePlan{block, false};
}

int CComDevice::SendUpgradeFrame(const std::uint8_t* data, int length, bool last)
{
    // Every piece is written even after a short one (a frame begun is written
    // whole as far as the port allows); the result says whether all went out.
    bool whole = true;
    const auto write = [&](const std::uint8_t* bytes, int count) {
        whole &= m_serial.Write(bytes, static_cast<std::uint32_t>(count)) ==
                 static_cast<std::uint32_t>(count);
    };
    const std::uint8_t header[3] = {kFrameStart, static_cast<std::uint8_t>(length / 256),
                                    static_cast<std::uint8_t>(length % 256)};
    write(header, sizeof header);
    // The loader's receive buffer takes a full block only in two halves with a
    // short gap between them.
    if (length > kPayloadSplit) {
        write(data, kPayloadSplit);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        write(data + kPayloadSplit, length - kPayloadSplit);
    } else {
        write(data, length);
    }
    const std::uint8_t trailer[2] = {Checksum8(data, static_cast<unsigned>(length)),
                                     last ? kLastFrameEnd : kMoreFrameEnd};
    write(trailer, sizeof trailer);
    return whole ? 1 : 0;
}

namespace {

// A closed port, or one that went away, answers every read at once with
// nothing; the transfer must stop rather than ask again and again.
bool PortGone(CSerial& serial)
{
    return !serial.IsOpen() || serial.IsGone();
}

// Cancel sets the abort event before it clears running: either ends the
// transfer, so that nothing more goes out once the user has cancelled.
bool Stopped(const std::atomic<int>* running, const CSerial& serial)
{
    return *running == 0 || serial.m_hAbort.IsSet();
}

int Terminate()
{
    LogPrintf(LOG_INFO, "upgrade terminate");
    return 0;
}

} // namespace

int CComDevice::Upgrade(const std::uint8_t* image, int size, int block,
                        const std::atomic<int>* running, UpgradeStep step)
{
    // A block of 0 would never move the position, and one over 0xFFFF would
    // not fit the frame's two-byte length.
    if ((image == nullptr && size > 0) || size < 0 || block <= 0 || block > 0xFFFF ||
        running == nullptr) {
        return Terminate();
    }
    std::uint8_t answer[kAnswerSize];

    bool ready = false;
    while (!ready && !Stopped(running, m_serial)) {
        m_serial.Write("P", 1);
        LogPrintf(LOG_SEND, "%s", "P");
        m_serial.m_hAbort.WaitFor(std::chrono::milliseconds(50));
        std::memset(answer, 0, sizeof answer);
        const std::uint32_t got = m_serial.ReadAvailable(answer, kAnswerSize);
        if (got == 0) {
            if (PortGone(m_serial)) {
                return Terminate();
            }
            continue;
        }
        // Only the bytes of this one read count, as text for the log and for
        // the search: a "PFF-" split over two reads is not recognised.
        const std::string text(reinterpret_cast<const char*>(answer), got);
        LogPrintf(LOG_RECV, "%s", text.c_str());
        ready = LoaderReady(answer, got);
    }
    if (m_serial.IsOpen()) {
        m_serial.Purge();
    }

    int position = 0;
    bool waiting = false;
    bool first = true;
    for (;;) {
        if (Stopped(running, m_serial)) {
            return Terminate();
        }
        if (waiting) {
            std::memset(answer, 0, sizeof answer);
            const std::uint32_t got = m_serial.ReadAvailable(answer, kAnswerSize);
            if (got > 0) {
                waiting = false;
                if (std::memchr(answer, kAck, got) != nullptr) {
                    LogPrintf(LOG_RECV, "%s", "ack");
                }
            } else if (PortGone(m_serial)) {
                return Terminate();
            }
            continue;
        }
        if (first) {
            m_serial.Write(&kTransferStart, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            first = false;
        }
        const auto [length, last] = NextFrame(size, position, block);
        // A frame the vanished port never took is neither logged nor counted.
        if (SendUpgradeFrame(image + position, length, last) == 0 && PortGone(m_serial)) {
            return Terminate();
        }
        position += length;
        LogPrintf(LOG_INFO, "send pos=%d len=%d", position, length);
        waiting = true;
        if (step) {
            step(0);
        }
        if (last) {
            LogPrintf(LOG_INFO, "upgrade complete");
            return 1;
        }
    }
}
