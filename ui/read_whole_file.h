#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a whole file into buffer. Returns its size (0 for an empty file), or
// -1: when the file cannot be opened (also when it is not a regular file or
// is too large for an int), with message set to "Cannot open file" in the
// interface language; or when fewer bytes than its size could be read, with
// message untouched. buffer is emptied on failure.
int ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& buffer, std::string& message);
