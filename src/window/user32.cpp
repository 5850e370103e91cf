// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "user32.h"

#include <QApplication>
#include <QDirIterator>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStyle>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Sernix::Window::user32 {

HWND windowHandle(QWidget *window)
{
    return HWND(window->winId());
}

namespace {

#ifdef Q_OS_WIN

class WindowsApi final : public Api
{
public:
    HINSTANCE currentInstance() override { return HINSTANCE(::GetModuleHandleA(nullptr)); }
    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }
    HANDLE LoadImageA(HINSTANCE instance, const char *name, unsigned type, int cx, int cy, unsigned flags) override
    {
        return HANDLE(::LoadImageA(::HINSTANCE(instance), name, type, cx, cy, flags));
    }
    LRESULT SendMessageA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) override
    {
        return LRESULT(::SendMessageA(::HWND(window), message, wParam, lParam));
    }
    HWND GetWindow(HWND window, unsigned command) override { return HWND(::GetWindow(::HWND(window), command)); }
};

#else

// Icons are the program's own resources under :/icons, looked up by name
// without regard to case. A loaded size is shared: asking again for the same
// name and size gives the same handle, and nothing is ever freed, as with a
// shared icon of the window system.
class QtApi final : public Api
{
public:
    HINSTANCE currentInstance() override { return 1; }

    int GetSystemMetrics(int index) override
    {
        const QStyle *style = QApplication::style();
        switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return style->pixelMetric(QStyle::PM_LargeIconSize);
        case SM_CXSMICON:
        case SM_CYSMICON:
            return style->pixelMetric(QStyle::PM_SmallIconSize);
        default:
            return 0;
        }
    }

    HANDLE LoadImageA(HINSTANCE, const char *name, unsigned type, int cx, int cy, unsigned) override
    {
        if (type != IMAGE_ICON || cx <= 0 || cy <= 0)
            return 0;
        const QString path = findIconResource(QString::fromLatin1(name));
        if (path.isEmpty())
            return 0;
        const QString key = QStringLiteral("%1@%2x%3").arg(path).arg(cx).arg(cy);
        if (const auto found = m_handleByKey.constFind(key); found != m_handleByKey.cend())
            return found.value();
        const QImage image(path);
        if (image.isNull())
            return 0;
        m_icons.append(QPixmap::fromImage(image.scaled(cx, cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
        const HANDLE handle = HANDLE(m_icons.size());
        m_handleByKey.insert(key, handle);
        return handle;
    }

    LRESULT SendMessageA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) override
    {
        QWidget *widget = QWidget::find(WId(window));
        if (!widget || message != WM_SETICON || (wParam != ICON_BIG && wParam != ICON_SMALL))
            return 0;
        const char *slot = wParam == ICON_BIG ? "sernixIconBig" : "sernixIconSmall";
        const LRESULT previous = widget->property(slot).value<LRESULT>();
        widget->setProperty(slot, QVariant::fromValue(HANDLE(lParam)));
        QIcon icon;
        for (const char *size : {"sernixIconBig", "sernixIconSmall"}) {
            if (const QPixmap *pixmap = iconPixmap(widget->property(size).value<HANDLE>()))
                icon.addPixmap(*pixmap);
        }
        widget->setWindowIcon(icon);
        return previous;
    }

    HWND GetWindow(HWND window, unsigned command) override
    {
        QWidget *widget = QWidget::find(WId(window));
        if (!widget || command != GW_OWNER || !widget->isWindow() || !widget->parentWidget())
            return 0;
        return windowHandle(widget->parentWidget()->window());
    }

private:
    static QString findIconResource(const QString &name)
    {
        QDirIterator entries(QStringLiteral(":/icons"), QDir::Files);
        while (entries.hasNext()) {
            const QFileInfo entry(entries.next());
            if (entry.completeBaseName().compare(name, Qt::CaseInsensitive) == 0)
                return entry.filePath();
        }
        return {};
    }

    const QPixmap *iconPixmap(HANDLE handle) const
    {
        if (handle == 0 || handle > HANDLE(m_icons.size()))
            return nullptr;
        return &m_icons.at(qsizetype(handle - 1));
    }

    QList<QPixmap> m_icons;
    QHash<QString, HANDLE> m_handleByKey;
};

#endif

} // namespace

Api &platformApi()
{
#ifdef Q_OS_WIN
    static WindowsApi api;
#else
    static QtApi api;
#endif
    return api;
}

} // namespace Sernix::Window::user32
