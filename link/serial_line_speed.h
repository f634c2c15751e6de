// Any bit rate on a Linux tty, also those without a B-constant (14400, 56000).
#pragma once

#include <cstdint>

// Sets input and output rate; false when the driver refuses it or runs the
// port at a rate too far from it (see RateIsClose).
bool SetLineSpeed(int fd, std::uint32_t baud);

// USB bridges store the rate their divider reaches (a CP210x makes 115384 of
// 115200); a UART copes with a few percent, so only a larger miss means the
// driver did not take the rate.
bool RateIsClose(std::uint32_t asked, std::uint32_t got);

// The output rate the port runs at; 0 when it cannot be read.
std::uint32_t GetLineSpeed(int fd);
