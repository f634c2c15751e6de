// A seam for tests: a step of a save can be made to fail, or the process
// killed just before it, to show what the file holds then and what the tool
// says. With no hook set, which is always so outside tests, nothing happens.
#pragma once

enum class WriteStage {
    kLock,     // holding the settings file's lock
    kReserve,  // reserving the new length of a file written in place
    kWrite,    // writing the new text
    kFlush,    // flushing it to the disk
    kCut,      // cutting a file written in place to the new length
    kClose,    // closing the file written
    kRename,   // renaming the new file over the old one
};

// Called before each step; returns 0 to let it run, or the errno it is to
// fail with instead.
using WriteFaultHook = int (*)(WriteStage stage);
void SetWriteFaultHook(WriteFaultHook hook);

// True, with error set, when the hook fails this step.
bool InjectWriteFault(WriteStage stage, int& error);
