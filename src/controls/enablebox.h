// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QCheckBox>

namespace Sernix::Controls {

// A check box whose Value is 0 clear, 1 ticked, 2 greyed. Qt numbers its
// states differently; this is the one place that maps between the two.
class EnableBox : public QCheckBox
{
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

    static constexpr int Clear = 0;
    static constexpr int Ticked = 1;
    static constexpr int Greyed = 2;

    int Value() const;
    void setValue(int value);

protected:
    void nextCheckState() override;
};

} // namespace Sernix::Controls
