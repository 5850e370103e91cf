// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QLabel>
#include <QString>

namespace Sernix::Controls {

// A label with little room: its text wraps, and when even wrapped it does
// not fit, it is cut short with an ellipsis. The whole text is its tooltip.
class FittedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    QString fullText() const { return m_fullText; }
    void setFullText(const QString &text);

private:
    QString m_fullText;
};

} // namespace Sernix::Controls
