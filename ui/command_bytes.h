#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What the command window puts on the wire for one send: at most
// kMaxCommandBytes bytes, so a send always fits one 256-byte buffer.
inline constexpr std::size_t kMaxCommandBytes = 255;

// Hex pairs into bytes: the characters two at a time from the start, at most
// 255 pairs, the first of a pair giving the high half. 0-9, a-f and A-F count
// as their values, anything else as 0; a last single character pairs with 0.
// A zero byte is written behind the last pair, so out needs room for 256
// bytes. Returns 1 when a pointer is null (nothing written), else 0.
int HexTextToBytes(const char* text, int length, std::uint8_t* out);

// The bytes of one send. Hex: spaces (" " only) are removed and the rest read
// as hex pairs; an odd last digit is not sent, with newLine or without. Text:
// the bytes as they stand. Either is cut to 255 bytes; with newLine, "\r\n"
// follows within the same limit (a 254-byte command gets only "\r", a
// 255-byte one nothing). The line end always follows every byte of the
// command, zero bytes included.
std::string BuildCommandBytes(const std::string& text, bool hex, bool newLine);
