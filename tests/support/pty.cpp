#include "tests/support/pty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void MakeSlaveRaw(const std::string& path) {
    int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) Fail("open pty slave");
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::close(slave);
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0) Fail("posix_openpt");
    char name[128];
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        int saved = errno;
        ::close(m_master);
        errno = saved;
        Fail("pty set-up");
    }
    m_slavePath = name;
    try {
        MakeSlaveRaw(m_slavePath);
    } catch (...) {
        ::close(m_master);
        throw;
    }
    // Replies are written from a thread that must never block on a client that
    // does not read.
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() { close(); }

std::string PseudoTerminal::portName() const {
    const std::string dev = "/dev/";
    return m_slavePath.rfind(dev, 0) == 0 ? m_slavePath.substr(dev.size()) : m_slavePath;
}

void PseudoTerminal::close() {
    if (m_master >= 0) {
        ::close(m_master);
        m_master = -1;
    }
}
