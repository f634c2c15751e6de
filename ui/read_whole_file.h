#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The largest firmware image an upgrade reads: far beyond a radio module's
// flash, and at 115200 baud about 25 minutes of sending. The frame's two-byte
// length field bounds a block, not the image, so the bound is ours: it keeps a
// wrong file from being read into memory whole, and the size well inside an
// int.
inline constexpr std::size_t kMaxFirmwareImageBytes = 16 * 1024 * 1024;

// Reads a whole file into buffer. Returns its size (0 for an empty file), or
// -1: when the file cannot be opened, with message set to "Cannot open file"
// in the interface language (also for anything but a regular file of at most
// kMaxFirmwareImageBytes, which is refused before a byte is read); or when
// fewer bytes than its size could be read, with message untouched. buffer is
// emptied on failure.
int ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& buffer, std::string& message);
