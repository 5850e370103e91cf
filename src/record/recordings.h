// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "fileformat.h"
#include "recording.h"

#include <QObject>

#include <array>
#include <memory>

namespace Sernix::Record {

class Record;

// The recordings running now: at most one of each kind, started from the
// command line or at run time, stopped at run time or at exit. A recording
// whose writes fail is stopped, with one line on stderr.
class Recordings : public QObject
{
    Q_OBJECT
public:
    explicit Recordings(const Record &record, QObject *parent = nullptr);
    ~Recordings() override;

    // Starts recording to a file, whose extension names its kind; an error
    // for humans when it cannot (another of that kind runs, a VCD exists,
    // the file cannot be opened), else an empty string.
    QString start(const QString &path);
    void stop(FileKind kind);
    void stopAll();
    bool isRunning(FileKind kind) const;
    QString path(FileKind kind) const;
    void flush();

Q_SIGNALS:
    // A recording started or stopped, by a call or by a failed write.
    void changed();
    // A recording stopped because a write failed; the message says which and why.
    void failed(const QString &message);

private:
    void onFailed(FileKind kind, const QString &message);

    const Record &m_record;
    std::array<std::unique_ptr<Recording>, 2> m_running;
};

} // namespace Sernix::Record
