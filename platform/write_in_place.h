// Overwriting a file where it stands, for a file that a rename would make
// into another one (more than one link, another owner or group, attributes
// that cannot be copied) or whose folder this user may not write.
#pragma once

#include <string>
#include <string_view>

#include "platform/replace_file.h"

// Writes content over the regular file target from its first byte and cuts
// it to the new length; the file keeps its inode, and with it its links,
// owner, group, mode and access list. The new length is reserved first, so a
// full disk or a file-size limit fails before a byte of the old text changes
// (kWrite with ENOSPC, EDQUOT or EFBIG). A failure after that (an I/O error)
// can leave the file part new, part old.
FileWriteFailure WriteInPlace(const std::string& target, std::string_view content);
