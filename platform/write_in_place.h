// Overwriting a file where it stands, for a file that a rename would make
// into another one (more than one link, another owner or group, attributes
// that cannot be copied) or whose folder this user may not write.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_write_failure.h"

// Writes content over the regular file target from its first byte; the file
// keeps its inode, and with it its links, owner, group, mode and access
// list.
//
// The new length is reserved first, so a full disk or a file-size limit
// fails before a byte of the old text changes (kWrite with ENOSPC, EDQUOT or
// EFBIG). A shorter text is written padded with line ends to the old length
// and flushed before the file is cut to it: a kill or a failure after the
// flush leaves the new text followed by blank lines, which every reader of
// the tool skips, and the save counts as done. An I/O error before the flush
// puts the old text back (for an old file of up to 16 MiB that this user may
// read), so a failure told is a file unchanged. Only a kill in the middle of
// the write itself, or an I/O error that also fails putting it back, can
// leave the file part new, part old.
//
// A link at target is not followed (ELOOP): the caller resolved it already.
FileWriteFailure WriteInPlace(const std::string& target, std::string_view content);
