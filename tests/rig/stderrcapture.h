// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QByteArray>

namespace Sernix::Rig {

// Collects what the process writes to stderr (file descriptor 2) while it
// lives, for tests of the program's diagnostics.
class StderrCapture
{
public:
    StderrCapture();
    ~StderrCapture();
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // Everything written so far; the capture goes on.
    QByteArray text() const;

private:
    int m_savedStderr = -1;
    int m_file = -1;
};

} // namespace Sernix::Rig
