#pragma once

// Under a file-size limit (ulimit -f) a write past it raises SIGXFSZ, which
// kills the process by default. Ignored, the write fails with EFBIG instead,
// so a save tells the user why and cleans up after itself. For the whole
// process, once at start.
void IgnoreFileSizeSignal();
