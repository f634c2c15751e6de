// Any bit rate on a Linux tty, also those without a B-constant (14400, 56000).
#pragma once

#include <cstdint>

// Sets input and output rate; false when the driver refuses or rounds it to
// another rate.
bool SetLineSpeed(int fd, std::uint32_t baud);

// The output rate the port runs at; 0 when it cannot be read.
std::uint32_t GetLineSpeed(int fd);
