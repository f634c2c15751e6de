#pragma once

// The line settings a client last gave the slave of a pseudo-terminal, read
// from the master. The pty driver forces 8 data bits and clears the parity
// enable bit whatever the client asks for, so those two cannot be seen here;
// the rate (any rate, including the non-standard ones set with BOTHER), the
// stop bits and the odd and stick-parity bits survive.
struct PtyLineSettings {
    unsigned baud = 0;
    unsigned stopBits = 1;  // 1 or 2
    bool parityOdd = false;
    bool parityStick = false;  // mark when parityOdd, else space
    unsigned dataBits = 8;     // what the driver keeps: always 8 on a pty
    bool parityEnabled = false;  // what the driver keeps: always false on a pty
};

// False when fd is no terminal (the master was closed, say).
bool ReadPtyLineSettings(int fd, PtyLineSettings& out);
