#pragma once

#include <set>
#include <string>

#include "link/com_device.h"

// The operation of a WaitJob.
enum WaitOp : int {
    WAIT_OP_LOAD_PARAMS = 0,
    WAIT_OP_WRITE_PARAMS = 1,
    WAIT_OP_UPGRADE = 2,
    WAIT_OP_RESTART = 3,
    WAIT_OP_RESTORE_FACTORY = 4,
};

// One long operation, described by its caller and run by CWaitDialog's
// worker. The caller owns it and reads the outputs only after DoModal has
// returned (the worker has been joined by then).
struct WaitJob {
    CComDevice* device = nullptr;   // not owned
    int op = WAIT_OP_LOAD_PARAMS;   // a WaitOp
    std::set<std::string> readIds;  // filled by the load worker; callers leave it empty
    ParamValueMap writeValues;      // write: configuration id -> value
    std::string filePath;           // upgrade: firmware image
    int restartFirst = 0;           // upgrade: restart the module before the transfer
    int restoreAfter = 0;           // upgrade: carried for the caller only
    int blockSize = 0;              // upgrade: payload bytes per frame (4096 or 512)
    int result = 0;                 // 1 success, 0 failure
    std::string message;            // failure reason in the interface language, or ""
    ParamValueMap readValues;       // load: values read
    ParamValueMap writtenValues;    // write: values the module acknowledged
};
