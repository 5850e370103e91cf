// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "module1.h"

namespace Sernix::Window::Module1 {

using namespace Sernix::Controls;

// The routine works on its own copy of the name, as its callers rely on.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void SetWindowIcon(user32::HWND window, QString name, qint16 ownerToo, user32::Api &api)
{
    using namespace user32;
    const QByteArray resourceName = name.toLatin1();

    HWND topOwner = window;
    if (ownerToo) {
        for (HWND owner = api.GetWindow(window, GW_OWNER); owner != 0; owner = api.GetWindow(owner, GW_OWNER))
            topOwner = owner;
    }

    const auto giveIcon = [&](int widthMetric, int heightMetric, WPARAM size) {
        const int width = api.GetSystemMetrics(widthMetric);
        const int height = api.GetSystemMetrics(heightMetric);
        const HANDLE icon =
            api.LoadImageA(api.currentInstance(), resourceName.constData(), IMAGE_ICON, width, height, LR_SHARED);
        if (ownerToo)
            api.SendMessageA(topOwner, WM_SETICON, size, LPARAM(icon));
        api.SendMessageA(window, WM_SETICON, size, LPARAM(icon));
    };
    giveIcon(SM_CXICON, SM_CYICON, ICON_BIG);
    giveIcon(SM_CXSMICON, SM_CYSMICON, ICON_SMALL);
}

} // namespace Sernix::Window::Module1
