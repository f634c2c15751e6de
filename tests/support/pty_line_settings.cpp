#include "tests/support/pty_line_settings.h"

// termios2 lives in the kernel's header, which clashes with <termios.h>; this
// file includes nothing else.
#include <asm/termbits.h>
#include <sys/ioctl.h>

bool ReadPtyLineSettings(int fd, PtyLineSettings& out) {
    struct termios2 tio {};
    if (fd < 0 || ::ioctl(fd, TCGETS2, &tio) != 0) return false;
    out.baud = tio.c_ospeed;
    out.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    out.parityOdd = (tio.c_cflag & PARODD) != 0;
    out.parityStick = (tio.c_cflag & CMSPAR) != 0;
    out.parityEnabled = (tio.c_cflag & PARENB) != 0;
    switch (tio.c_cflag & CSIZE) {
        case CS5: out.dataBits = 5; break;
        case CS6: out.dataBits = 6; break;
        case CS7: out.dataBits = 7; break;
        default: out.dataBits = 8; break;
    }
    return true;
}
