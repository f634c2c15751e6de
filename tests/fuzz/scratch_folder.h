// A folder of this process's own for targets that go through real files,
// under $TMPDIR (or /tmp). Made at the first call; removed at exit, when the
// target has left it empty.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "tests/fuzz/fuzz_check.h"

inline const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        const char* dir = std::getenv("TMPDIR");
        std::string path = std::string(dir != nullptr ? dir : "/tmp") + "/quorrel_fuzz.XXXXXX";
        FUZZ_CHECK(::mkdtemp(path.data()) != nullptr);
        return path;
    }();
    static const bool removedAtExit = std::atexit([] { ::rmdir(folder.c_str()); }) == 0;
    (void)removedAtExit;
    return folder;
}
