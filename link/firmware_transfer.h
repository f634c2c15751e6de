// The pieces of the framed firmware transfer that need no port.
#pragma once

#include <cstddef>
#include <cstdint>

// The sum of the bytes modulo 256; 0 for no bytes.
std::uint8_t Checksum8(const std::uint8_t* data, unsigned length);

// Whether the bytes of one handshake read say the loader is ready ("PFF-").
bool LoaderReady(const std::uint8_t* data, std::size_t length);
