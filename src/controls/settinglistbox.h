// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QComboBox>

namespace Sernix::Controls {

// A setting list: a plain editable list, its own kind only so that
// assistive technology is told its name rather than its text.
class SettingListBox : public QComboBox
{
    Q_OBJECT
public:
    using QComboBox::QComboBox;
};

} // namespace Sernix::Controls
