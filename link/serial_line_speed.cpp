#include "link/serial_line_speed.h"

// The kernel's termios2 lives in asm/termbits.h, whose struct termios clashes
// with glibc's <termios.h>, so it is kept to this file.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace {

struct NamedRate {
    std::uint32_t baud;
    unsigned code;
};

// Rates with a code of their own; programs that read the port's settings with
// the ordinary termios calls see them as such rather than as BOTHER.
constexpr NamedRate kNamedRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

unsigned RateCode(std::uint32_t baud)
{
    for (const NamedRate& rate : kNamedRates) {
        if (rate.baud == baud) {
            return rate.code;
        }
    }
    return BOTHER;
}

bool GetTermios2(int fd, termios2& settings)
{
    int result = 0;
    while ((result = ::ioctl(fd, TCGETS2, &settings)) < 0 && errno == EINTR) {
    }
    return result == 0;
}

}  // namespace

bool SetLineSpeed(int fd, std::uint32_t baud)
{
    termios2 settings{};
    if (baud == 0 || !GetTermios2(fd, settings)) {
        return false;  // rate 0 would mean "hang up"
    }
    settings.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    const unsigned code = RateCode(baud);
    settings.c_cflag |= code | (code << IBSHIFT);
    settings.c_ispeed = baud;
    settings.c_ospeed = baud;
    int result = 0;
    while ((result = ::ioctl(fd, TCSETS2, &settings)) < 0 && errno == EINTR) {
    }
    return result == 0 && RateIsClose(baud, GetLineSpeed(fd));
}

std::uint32_t GetLineSpeed(int fd)
{
    termios2 settings{};
    return GetTermios2(fd, settings) ? settings.c_ospeed : 0;
}

bool RateIsClose(std::uint32_t asked, std::uint32_t got)
{
    const std::uint64_t miss = got > asked ? got - asked : asked - got;
    return got != 0 && miss * 100 <= std::uint64_t{asked} * 3;
}
