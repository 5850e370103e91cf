// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "texttable.h"

namespace Sernix::Record {

namespace {

// A held text costs its characters, its string's block and its index entry.
constexpr qint64 PerTextOverhead = 128;

} // namespace

TextTable::TextTable()
    : m_entries(1) // the empty text
{
}

TextId TextTable::hold(const QString &text)
{
    if (text.isEmpty())
        return 0;
    TextId &id = m_ids[text];
    if (id == 0) {
        if (m_free.empty()) {
            id = TextId(m_entries.size());
            m_entries.emplace_back();
        } else {
            id = m_free.back();
            m_free.pop_back();
        }
        m_entries.at(id).text = text;
        m_characters += text.size();
    }
    ++m_entries.at(id).holders;
    return id;
}

void TextTable::release(TextId id)
{
    if (id == 0)
        return;
    Entry &entry = m_entries.at(id);
    if (--entry.holders > 0)
        return;
    m_characters -= entry.text.size();
    m_ids.remove(entry.text);
    entry.text = QString();
    m_free.push_back(id);
}

qint64 TextTable::footprint() const
{
    const qint64 held = qint64(m_entries.size() - m_free.size());
    return qint64(m_entries.capacity() * sizeof(Entry) + m_free.capacity() * sizeof(TextId))
        + m_characters * qint64(sizeof(QChar)) + held * PerTextOverhead;
}

} // namespace Sernix::Record
