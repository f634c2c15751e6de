#include "platform/write_steps.h"

#include <unistd.h>

#include <cerrno>

#include "platform/write_fault.h"

bool Flush(int fd, int& error) {
    if (InjectWriteFault(WriteStage::kFlush, error)) return false;
    if (::fsync(fd) == 0) return true;
    error = errno;
    return false;
}

bool Close(int fd, int& error) {
    const bool injected = InjectWriteFault(WriteStage::kClose, error);
    if (::close(fd) != 0 && !injected) {
        error = errno;
        return false;
    }
    return !injected;
}
