#include "support/terminal_speed.h"

// Kept apart from <termios.h>, whose struct the kernel header redefines.
#include <asm/termbits.h>
#include <sys/ioctl.h>

long terminalSpeed(int fd)
{
    struct termios2 settings
    {};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return -1;
    return long(settings.c_ospeed);
}
