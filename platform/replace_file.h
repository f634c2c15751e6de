// Replaces a file whole or not at all: the settings file and exported
// parameter files are written through here.
//
// Where a rename keeps all that others see of the file (one link, the same
// owner and group, the same access list and other extended attributes), the
// new content goes to a new file beside the target, is flushed to the disk
// and renamed over it: a failure at any step, a full disk or a size limit
// among them, leaves the previous file byte for byte as it was and removes
// the new one; a crash or a kill before the rename leaves the previous file
// too, with the new one (name.<pid>.<n>.tmp) beside it. Otherwise the file
// is written where it stands after its new length is reserved, so a full
// disk or a size limit still fails before a byte changes; only an I/O error
// in the middle can leave it part new, part old, as a crash then can.
//
// A symbolic link is written through: the file it points to is written and
// the link stays a link. A link in a sticky folder that everybody may write
// (/tmp) is followed only when this user or the folder's owner owns it, as
// the kernel's protected_symlinks rule has it, whatever the machine's
// setting: else another user could point the tool, run as root, at a file of
// theirs choosing (kUnsafeLink). A target whose mode has no write bit, or that this
// user may not write, is read-only, as on Windows: it is left alone, also
// for root, whose rename would otherwise ignore the file's mode.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_write_failure.h"

// An existing target keeps its mode, owner, group, links and attributes; a
// new one gets 0666 less the umask, as fopen gives.
FileWriteFailure ReplaceFileWhole(const std::string& path, std::string_view content);

// The file that a write to path replaces: path itself, or the end of the
// chain of symbolic links it starts (relative links read from their own
// folder). The end need not exist. Fails (kOpen) on a loop or a link that
// cannot be read, and (kUnsafeLink) on a link the rule above forbids.
FileWriteFailure ResolveWriteTarget(const std::string& path, std::string& target);
