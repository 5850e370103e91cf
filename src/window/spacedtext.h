// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QFontMetrics>
#include <QList>
#include <QString>
#include <QStringList>

namespace Sernix::Window {

// Builds a one-line text of words separated by blanks so that, in the given
// font, each word is centred as near as blanks allow to its target x
// (pixels from the start of the text). The window uses it for the digits
// over the connector pins and the channel names over the pin columns: fixed
// blank counts only line up in the one font they were counted for.
QString spacedText(const QFontMetrics &metrics, const QStringList &words, const QList<qreal> &centres);

} // namespace Sernix::Window
