#include "tests/support/sim_replies.h"

namespace {
const std::string kOk = "\r\nOK\r\n";
}

std::string SimOkReply() { return kOk; }

std::string SimErrorReply() { return "\r\nERROR\r\n"; }

std::string SimValueReply(const std::string& tag, const std::string& value) {
    return "\r\n" + tag + ":" + value + "\r\n" + kOk;
}

std::string SimVersionReply(const std::string& versionText) {
    return "\r\nSW VER:" + versionText + kOk;
}

std::vector<std::string> ShapeSimReply(const std::string& reply, const std::string& tag,
                                       SimFault fault, const SimFaultShape& shape) {
    switch (fault) {
        case SimFault::None:
            return {reply};
        case SimFault::Silence:
            return {};
        case SimFault::Error:
            return {SimErrorReply()};
        case SimFault::Split: {
            std::size_t at = shape.splitAt;
            if (at == 0 || at >= reply.size()) at = reply.size() / 2;
            if (at == 0) return {reply};
            return {reply.substr(0, at), reply.substr(at)};
        }
        case SimFault::NoMarker: {
            std::string text = reply;
            std::size_t ok = text.rfind(kOk);
            if (ok != std::string::npos) text.erase(ok);
            // A bare acknowledgement would vanish; keep its word without the framing.
            if (text.empty()) text = "OK";
            return {text};
        }
        case SimFault::Garbage:
            return {shape.garbage};
        case SimFault::OverLong: {
            std::string head = "\r\n" + (tag.empty() ? std::string() : tag + ":");
            std::string tail = "\r\n" + kOk;
            std::size_t fill = shape.overLongSize > head.size() + tail.size()
                                   ? shape.overLongSize - head.size() - tail.size()
                                   : 0;
            return {head + std::string(fill, '7') + tail};
        }
    }
    return {reply};
}

unsigned char SimSum8(const std::string& bytes) {
    unsigned sum = 0;
    for (unsigned char c : bytes) sum += c;
    return static_cast<unsigned char>(sum & 0xFF);
}

SimFrameParse TakeSimFrame(std::string& in, SimFrame& out) {
    if (in.empty()) return SimFrameParse::NeedMore;
    if (static_cast<unsigned char>(in[0]) != 0x02) return SimFrameParse::NotAFrame;
    if (in.size() < 3) return SimFrameParse::NeedMore;
    std::size_t length = static_cast<unsigned char>(in[1]) * 256u + static_cast<unsigned char>(in[2]);
    std::size_t total = 3 + length + 2;
    if (in.size() < total) return SimFrameParse::NeedMore;
    out.payload = in.substr(3, length);
    out.checksum = static_cast<unsigned char>(in[3 + length]);
    out.end = static_cast<unsigned char>(in[4 + length]);
    out.rawSize = total;
    in.erase(0, total);
    return SimFrameParse::Complete;
}
