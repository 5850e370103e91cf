// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "window/application.h"
#include "window/module1.h"

#include <QtTest>

#include <map>

using namespace Sernix::Window;
using namespace Sernix::Window::user32;

namespace {

// Stands in for the window system and keeps what each window ends up with:
// its large and small icon, each as the resource and size it was loaded as.
// Width and height differ, so that a swap shows.
class FakeWindowSystem final : public Api
{
public:
    std::map<HWND, HWND> owners;
    std::map<std::pair<HWND, WPARAM>, QString> icons;
    QStringList loaded; // by handle - 1

    HINSTANCE currentInstance() override { return 7; }
    int GetSystemMetrics(int index) override
    {
        return std::map<int, int>{{SM_CXICON, 32}, {SM_CYICON, 31}, {SM_CXSMICON, 16}, {SM_CYSMICON, 15}}[index];
    }
    HANDLE LoadImageA(HINSTANCE instance, const char *name, unsigned type, int cx, int cy, unsigned flags) override
    {
        if (instance != 7 || type != IMAGE_ICON || flags != LR_SHARED)
            return 0;
        loaded << QStringLiteral("%1 %2x%3").arg(QLatin1String(name)).arg(cx).arg(cy);
        return HANDLE(loaded.size());
    }
    LRESULT SendMessageA(HWND window, unsigned message, WPARAM size, LPARAM icon) override
    {
        if (message == WM_SETICON && icon > 0 && icon <= loaded.size())
            icons[{window, size}] = loaded.at(icon - 1);
        return 0;
    }
    HWND GetWindow(HWND window, unsigned command) override
    {
        const auto found = owners.find(window);
        return command != GW_OWNER || found == owners.end() ? 0 : found->second;
    }
};

} // namespace

class WindowIconTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void iconsEachWindowEndsUpWith_data()
    {
        // Window 10, owned by 20, owned in turn by 30, where the row says so.
        QTest::addColumn<qint16>("ownerToo");
        QTest::addColumn<bool>("owned");
        QTest::addColumn<QString>("icons");
        const QString both = "%1 small Icon1 16x15, %1 large Icon1 32x31";
        QTest::newRow("owner too, none there") << qint16(-1) << false << both.arg(10);
        QTest::newRow("owner too: the topmost") << qint16(1) << true << both.arg(10) + ", " + both.arg(30);
        QTest::newRow("window only") << qint16(0) << true << both.arg(10);
    }

    void iconsEachWindowEndsUpWith()
    {
        QFETCH(qint16, ownerToo);
        QFETCH(bool, owned);
        QFETCH(QString, icons);
        FakeWindowSystem windows;
        if (owned)
            windows.owners = {{10, 20}, {20, 30}};
        Module1::SetWindowIcon(10, QStringLiteral("Icon1"), ownerToo, windows);
        QStringList seen;
        for (const auto &[key, icon] : windows.icons)
            seen << QStringLiteral("%1 %2 %3").arg(key.first).arg(key.second == ICON_BIG ? "large" : key.second == ICON_SMALL ? "small" : "?", icon);
        QCOMPARE(seen.join(", "), icons);
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    configureApplication();
    WindowIconTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowicon.moc"
