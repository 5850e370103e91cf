// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <sys/ioctl.h>
#include <termios.h>

namespace Sernix::Rig {

// The kernel's struct termios2, which carries speeds that have no Bnnn
// constant. Declared here because <asm/termbits.h> clashes with <termios.h>.
struct KernelTermios2
{
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};

inline constexpr unsigned long getTermios2Request = _IOR('T', 0x2A, KernelTermios2);
inline constexpr unsigned long setTermios2Requests[] = {
    _IOW('T', 0x2B, KernelTermios2), // TCSETS2
    _IOW('T', 0x2C, KernelTermios2), // TCSETSW2
    _IOW('T', 0x2D, KernelTermios2), // TCSETSF2
};

} // namespace Sernix::Rig
