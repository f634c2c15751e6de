#pragma once

#include <string>

// The master side of a pseudo-terminal whose slave stands in for a serial port.
// The slave is put into raw mode once, before any client opens it, so a client
// that forgets to set its own mode still sees bytes unchanged (no echo, no line
// editing, no CR/LF translation).
class PseudoTerminal {
public:
    // Opens /dev/ptmx; throws std::system_error when the system has no free pty.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int masterFd() const { return m_master; }
    // "/dev/pts/N"
    const std::string& slavePath() const { return m_slavePath; }
    // "pts/N": the name a program opens as "/dev/" + name.
    std::string portName() const;

    // Closes the master: every open slave descriptor is hung up (POLLHUP, reads
    // end with EIO or 0) and the device node goes away.
    void close();
    bool isOpen() const { return m_master >= 0; }

private:
    int m_master = -1;
    std::string m_slavePath;
};
