// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#pragma once

#include <QtGlobal>

class QWidget;

// The four window-system functions that give the window its icons, behind a
// layer of our own: on Windows they are the real user32 functions; elsewhere
// the Qt implementation below plays their part, so the icon routine keeps one
// algorithm on every platform.
namespace Sernix::Window::user32 {

using HWND = quintptr;
using HANDLE = quintptr;
using HINSTANCE = quintptr;
using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;

inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
inline constexpr int SM_CXSMICON = 49;
inline constexpr int SM_CYSMICON = 50;
inline constexpr unsigned IMAGE_ICON = 1;
inline constexpr unsigned LR_SHARED = 0x8000;
inline constexpr unsigned WM_SETICON = 0x0080;
inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;
inline constexpr unsigned GW_OWNER = 4;

class Api
{
public:
    virtual ~Api() = default;
    virtual HINSTANCE currentInstance() = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual HANDLE LoadImageA(HINSTANCE instance, const char *name, unsigned type, int cx, int cy, unsigned flags) = 0;
    virtual LRESULT SendMessageA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) = 0;
    virtual HWND GetWindow(HWND window, unsigned command) = 0;
};

// The platform's functions; bound once, on first use.
Api &platformApi();

// The handle of a top-level widget, as the functions above take it.
HWND windowHandle(QWidget *window);

} // namespace Sernix::Window::user32
