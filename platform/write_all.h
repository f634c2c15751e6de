#pragma once

#include <sys/types.h>

#include <string_view>

// Writes all of data at the file's position, or from `offset` for
// PwriteAll, retrying short writes and EINTR. False with error set otherwise;
// a write that moves nothing counts as EIO.
bool WriteAll(int fd, std::string_view data, int& error);
bool PwriteAll(int fd, std::string_view data, off_t offset, int& error);
