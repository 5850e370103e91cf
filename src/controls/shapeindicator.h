// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include "olecolor.h"

#include <QWidget>

namespace Sernix::Controls {

// A connector pin: a circle filled with its back colour.
class ShapeIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(quint32 BackColor READ BackColor WRITE setBackColor)
public:
    explicit ShapeIndicator(QWidget *parent = nullptr);

    OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor color);
    // What a lit indicator means ("active", "sending"...); its accessible
    // description says that while lit and "idle" while not.
    void setLitMeaning(const QString &meaning);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void describe();

    OleColor m_backColor = OleColors::WindowBackground;
    QString m_litMeaning = QStringLiteral("active");
};

} // namespace Sernix::Controls
