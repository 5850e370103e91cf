// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "event.h"

#include <QHash>
#include <QString>

#include <vector>

namespace Sernix::Record {

// The texts that events name (devices, settings, reasons), each kept once
// for as long as an event holds it: a record of a million events names a
// handful of texts.
class TextTable
{
public:
    TextTable();

    // One more event holds the text; 0 for the empty text.
    TextId hold(const QString &text);
    // One event less holds it; the last one lets it go.
    void release(TextId id);
    const QString &text(TextId id) const { return m_entries.at(id).text; }
    // What the texts and their index take, heap included.
    qint64 footprint() const;

private:
    struct Entry
    {
        QString text;
        quint64 holders = 0;
    };
    std::vector<Entry> m_entries; // by id
    std::vector<TextId> m_free;   // ids let go, for reuse
    QHash<QString, TextId> m_ids;
    qint64 m_characters = 0; // of the texts held
};

} // namespace Sernix::Record
