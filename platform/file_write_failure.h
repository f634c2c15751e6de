// How a save of a file failed: the step, and the errno behind it.
#pragma once

enum class FileWriteStep {
    kNone,        // the file was replaced
    kReadOnly,    // the target may not be written; nothing was created
    kOpen,        // the new file could not be created, or the target not resolved
    kWrite,       // writing, flushing or renaming failed
    kTooLarge,    // the file would outgrow what its reader accepts; nothing was touched
    kBadEntry,    // a name or value the file's format cannot hold; nothing was touched
    kUnsafeLink,  // a link another user put in a shared folder; nothing was touched
    kLocked,      // another program held the file's lock too long; nothing was touched
};

struct FileWriteFailure {
    FileWriteStep step = FileWriteStep::kNone;
    int error = 0;  // the errno behind it
};
