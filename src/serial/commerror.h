// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

#include <stdexcept>

namespace MSCommLib {

// The one error a serial control raises. Callers only ever test whether it was
// thrown; what() carries the operating system's reason for humans.
class CommError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
    explicit CommError(const QString &reason)
        : std::runtime_error(reason.toStdString())
    {
    }
};

} // namespace MSCommLib
