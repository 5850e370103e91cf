// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace Sernix::Controls {

// A locked multi-line text box. Its Text keeps line breaks as CR LF, the way
// the program writes them, while the editor shows plain lines.
class MultiLineTextBox : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit MultiLineTextBox(QWidget *parent = nullptr);

    QString Text() const { return m_text; }
    void setText(const QString &text);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QString m_text;
};

} // namespace Sernix::Controls
