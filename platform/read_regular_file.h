#pragma once

#include <cstddef>
#include <string>

enum class RegularFileRead {
    kRead,     // bytes holds the whole file
    kRefused,  // missing, unopenable, not a regular file, or larger than the bound
    kFailed,   // opened, but a read failed or ended short of the file's size
};

// Reads the whole of a file, if it is a regular file of at most maxBytes: the
// settings file, or one the user chose. The open never blocks: a FIFO without
// a writer, a device or a folder is refused at once, before a byte is read. A
// file that grows past maxBytes while it is read is refused as well. bytes is
// emptied unless the result is kRead.
RegularFileRead ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes);

// The same for a file already open for reading, from its current position
// (the start, for a file just opened). error, when given, gets the errno
// behind a result other than kRead (EAGAIN for a file cut short meanwhile,
// EFBIG for one over the bound).
RegularFileRead ReadOpenRegularFile(int fd, std::size_t maxBytes, std::string& bytes,
                                    int* error = nullptr);
