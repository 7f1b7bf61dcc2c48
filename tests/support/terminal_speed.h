#pragma once

// The output speed a terminal device keeps, in baud, read with the kernel's
// TCGETS2 (termios2), so a rate set through BOTHER reads back as itself;
// -1 when it can't be read. On a pseudo-terminal's master it reads the
// slave's settings.
long terminalSpeed(int fd);
