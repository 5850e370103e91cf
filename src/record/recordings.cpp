// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "recordings.h"

#include "serial/diagnostics.h"

namespace Sernix::Record {

using MSCommLib::reportLine;

Recordings::Recordings(const Record &record, QObject *parent)
    : QObject(parent)
    , m_record(record)
{
}

Recordings::~Recordings()
{
    stopAll();
}

QString Recordings::start(const QString &path)
{
    const std::optional<FileKind> kind = fileKindOf(path);
    if (kind && isRunning(*kind)) {
        return QStringLiteral("%1: already recording a %2 file (%3); one of each kind at most")
            .arg(path, fileKindName(*kind), this->path(*kind));
    }
    if (!kind)
        return QStringLiteral("%1: a record file's name ends in .csv or .vcd").arg(path);
    auto recording = std::make_unique<Recording>(m_record, *kind);
    if (const QString error = recording->start(path); !error.isEmpty())
        return error;
    if (recording->waitsForReader())
        reportLine(QStringLiteral("%1 is a FIFO: recording starts when a reader opens it").arg(path));
    connect(recording.get(), &Recording::failed, this,
            [this, which = *kind](const QString &message) { onFailed(which, message); });
    m_running.at(std::size_t(*kind)) = std::move(recording);
    Q_EMIT changed();
    return {};
}

void Recordings::stop(FileKind kind)
{
    std::unique_ptr<Recording> &recording = m_running.at(std::size_t(kind));
    if (!recording)
        return;
    recording->finish();
    recording.reset();
    Q_EMIT changed();
}

void Recordings::stopAll()
{
    stop(FileKind::Csv);
    stop(FileKind::Vcd);
}

bool Recordings::isRunning(FileKind kind) const
{
    const std::unique_ptr<Recording> &recording = m_running.at(std::size_t(kind));
    return recording && !recording->hasFailed();
}

QString Recordings::path(FileKind kind) const
{
    return isRunning(kind) ? m_running.at(std::size_t(kind))->path() : QString();
}

void Recordings::flush()
{
    for (const std::unique_ptr<Recording> &recording : m_running) {
        if (recording)
            recording->flush();
    }
}

void Recordings::onFailed(FileKind, const QString &message)
{
    // The recording stays, stopped, until the next of its kind replaces it.
    reportLine(message);
    Q_EMIT failed(message);
    Q_EMIT changed();
}

} // namespace Sernix::Record
