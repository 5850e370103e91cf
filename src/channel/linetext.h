// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QString>

namespace Sernix::Channel::LineText {

// The text form of a line state, and whether a box's text reads as "on".
// Text that is no Boolean at all (a box a failed read left empty) is not
// on, so a port that is not open never shows a false green.
QString booleanText(bool value);
bool readsTrue(const QString &text);

} // namespace Sernix::Channel::LineText
