#pragma once

#include <cstddef>
#include <string>
#include <vector>

// How the simulated module answers, as texts. Replies follow the module's
// framing: a value reply is "\r\n" tag ":" value "\r\n\r\nOK\r\n", the version
// reply "\r\nSW VER:" text "\r\nOK\r\n", a bare acknowledgement "\r\nOK\r\n".
std::string SimOkReply();
std::string SimErrorReply();
std::string SimValueReply(const std::string& tag, const std::string& value);
std::string SimVersionReply(const std::string& versionText);

// What can go wrong with a reply. A fault hits one reply; the module's state
// changes as usual except for Silence and Error, where the line counts as not
// understood.
enum class SimFault {
    None,
    Silence,   // no reply at all
    Error,     // "\r\nERROR\r\n" instead of the reply
    Split,     // the reply in two writes with a pause between
    NoMarker,  // the reply without its "\r\nOK\r\n"
    Garbage,   // the garbage text instead of the reply
    OverLong,  // the reply padded to the over-long size, "\r\nOK\r\n" at its very end
};

struct SimFaultShape {
    std::size_t splitAt = 0;  // where Split cuts; 0 or past the end: the middle
    std::size_t overLongSize = 5000;
    std::string garbage;
};

// The pieces to write, in order, for a reply that the fault hits. Split gives
// two pieces (the caller pauses between them), Silence none, the others one.
std::vector<std::string> ShapeSimReply(const std::string& reply, const std::string& tag,
                                       SimFault fault, const SimFaultShape& shape);

// Upgrade frame as the loader receives it: 0x02, length (2 bytes, big-endian),
// payload, 8-bit sum of the payload, 0x03 (last) or 0x17 (more).
struct SimFrame {
    std::string payload;
    unsigned char checksum = 0;  // as received
    unsigned char end = 0;       // as received
    std::size_t rawSize = 0;     // bytes the frame took from the input
};

enum class SimFrameParse { Complete, NeedMore, NotAFrame };

// Takes one frame from the front of in when it is complete; NotAFrame when the
// first byte is no 0x02 (nothing is taken then).
SimFrameParse TakeSimFrame(std::string& in, SimFrame& out);

unsigned char SimSum8(const std::string& bytes);
