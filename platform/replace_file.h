// Replaces a file whole or not at all: the settings file and exported
// parameter files are written through here.
//
// The new content goes to a new file beside the target, is flushed to the
// disk and then renamed over the target, so a full disk, a size limit or a
// crash leaves the previous file byte for byte as it was, and no stray file
// behind. A symbolic link is written through: the file it points to is
// replaced and the link stays a link. A target whose mode has no write bit,
// or that this user may not write, is read-only, as on Windows: it is left
// alone, also for root, whose rename would otherwise ignore the file's mode.
#pragma once

#include <string>
#include <string_view>

enum class FileWriteStep {
    kNone,      // the file was replaced
    kReadOnly,  // the target may not be written; nothing was created
    kOpen,      // the new file could not be created, or the target not resolved
    kWrite,     // writing, flushing or renaming the new file failed; it is gone again
};

struct FileWriteFailure {
    FileWriteStep step = FileWriteStep::kNone;
    int error = 0;  // the errno behind it
};

// An existing target keeps its mode and, where the system allows, its owner
// and group; a new one gets 0666 less the umask, as fopen gives.
FileWriteFailure ReplaceFileWhole(const std::string& path, std::string_view content);

// The file that a write to path replaces: path itself, or the end of the
// chain of symbolic links it starts (relative links read from their own
// folder). The end need not exist. False on a loop or a link that cannot be
// read; error then holds the errno.
bool ResolveWriteTarget(const std::string& path, std::string& target, int& error);
