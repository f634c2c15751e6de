// The pieces of the framed firmware transfer that need no port.
#pragma once

#include <cstddef>
#include <cstdint>

// The sum of the bytes modulo 256; 0 for no bytes.
std::uint8_t Checksum8(const std::uint8_t* data, unsigned length);

// Whether the bytes of one handshake read say the loader is ready ("PFF-").
bool LoaderReady(const std::uint8_t* data, std::size_t length);

// The next frame of an image of size bytes sent in blocks, from position on
// (0 <= position <= size, block > 0): a whole block, or the last frame with
// what is left, which is nothing when size is a multiple of block. Exact for
// any int, however near its top.
struct FramePlan {
    int length;
    bool last;
};
FramePlan NextFrame(int size, int position, int block);
