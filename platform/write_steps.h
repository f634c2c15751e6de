// The flush and close of a file being saved, through the test seam of
// write_fault.h, so that every writer fails them the same way.
#pragma once

// fsync; false with error set when it (or the seam) failed.
bool Flush(int fd, int& error);

// Closes fd in every case; false with error set when the close (or the seam)
// failed. Some file systems report a full disk only here.
bool Close(int fd, int& error);
