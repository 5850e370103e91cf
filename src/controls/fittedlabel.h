// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QLabel>
#include <QString>

#include <optional>

namespace Sernix::Controls {

// A label with little room: its text wraps; when even wrapped it does not
// fit (another system's face may be wider than the one it was sized for), it
// is set smaller, down to MinimumPoints, and only then cut short with an
// ellipsis. The whole text is its tooltip.
class FittedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    QString fullText() const { return m_fullText; }
    void setFullText(const QString &text);

private:
    static constexpr qreal MinimumPoints = 6;
    static constexpr qreal PointStep = 0.5;

    bool fits(const QString &text, const QFont &face) const;

    QString m_fullText;
    std::optional<QFont> m_designedFont; // the font before the first text
};

} // namespace Sernix::Controls
