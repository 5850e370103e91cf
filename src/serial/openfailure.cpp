// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "openfailure.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace MSCommLib {

#ifdef Q_OS_UNIX

QString groupGrantingAccess(const QString &devicePath)
{
    struct stat status;
    if (::stat(QFile::encodeName(devicePath).constData(), &status) == -1)
        return {};
    constexpr mode_t GroupReadWrite = S_IRGRP | S_IWGRP;
    if ((status.st_mode & GroupReadWrite) != GroupReadWrite)
        return {};
    const group *owner = ::getgrgid(status.st_gid);
    return owner ? QString::fromLocal8Bit(owner->gr_name) : QString();
}

bool lacksPermission(const QString &devicePath)
{
    if (::access(QFile::encodeName(devicePath).constData(), R_OK | W_OK) == 0)
        return false;
    return errno == EACCES || errno == EPERM;
}

#else

QString groupGrantingAccess(const QString &)
{
    return {};
}
bool lacksPermission(const QString &)
{
    return false;
}

#endif

QString describeOpenFailure(const QString &devicePath, const QString &reason)
{
    QString description = QStringLiteral("cannot open %1: %2").arg(devicePath, reason);
    if (lacksPermission(devicePath)) {
        const QString group = groupGrantingAccess(devicePath);
        if (!group.isEmpty())
            description += QStringLiteral(" (members of group '%1' may open it)").arg(group);
    }
    return description;
}

} // namespace MSCommLib
