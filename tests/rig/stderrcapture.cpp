// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "stderrcapture.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace Sernix::Rig {

StderrCapture::StderrCapture()
{
    char path[] = "/tmp/sernix-stderr-XXXXXX";
    m_file = ::mkstemp(path);
    if (m_file == -1)
        throw std::runtime_error("cannot create a file for stderr");
    ::unlink(path);
    std::fflush(stderr);
    m_savedStderr = ::dup(STDERR_FILENO);
    ::dup2(m_file, STDERR_FILENO);
}

StderrCapture::~StderrCapture()
{
    std::fflush(stderr);
    ::dup2(m_savedStderr, STDERR_FILENO);
    ::close(m_savedStderr);
    ::close(m_file);
}

QByteArray StderrCapture::text() const
{
    std::fflush(stderr);
    QByteArray captured;
    char chunk[4096];
    ssize_t count;
    off_t offset = 0;
    while ((count = ::pread(m_file, chunk, sizeof chunk, offset)) > 0) {
        captured.append(chunk, count);
        offset += count;
    }
    return captured;
}

} // namespace Sernix::Rig
