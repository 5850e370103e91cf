// SPDX-License-Identifier: LicenseRef-Draventa-freeware
#include "window/application.h"
#include "window/module1.h"

#include <QtTest>

#include <map>

using namespace Sernix::Window;

// Inside the namespace, its HWND and HINSTANCE hide the Windows ones that Qt's
// headers declare there.
namespace Sernix::Window::user32 {
namespace {

// Stands in for the window system and writes down every call, so the order of
// the icon routine's work can be checked: "owner" and the window asked about,
// "metric" and its index, "load" and the size, "icon" and the window, the
// icon's size (1 large, 0 small) and handle.
class RecordingApi final : public Api
{
public:
    std::map<HWND, HWND> owners;
    QStringList calls;

    HINSTANCE currentInstance() override { return 7; }
    int GetSystemMetrics(int index) override
    {
        calls << QStringLiteral("metric%1").arg(index);
        return index == SM_CXICON || index == SM_CYICON ? 32 : 16;
    }
    HANDLE LoadImageA(HINSTANCE instance, const char *name, unsigned type, int cx, int cy, unsigned flags) override
    {
        const bool expected = instance == 7 && qstrcmp(name, "Icon1") == 0 && type == IMAGE_ICON && flags == LR_SHARED;
        calls << QStringLiteral("load%1x%2").arg(cx).arg(cy) + (expected ? "" : "?");
        return HANDLE(1000 + cx);
    }
    LRESULT SendMessageA(HWND window, unsigned message, WPARAM size, LPARAM icon) override
    {
        calls << QStringLiteral("icon%1:%2:%3").arg(window).arg(size).arg(icon) + (message == WM_SETICON ? "" : "?");
        return 0;
    }
    HWND GetWindow(HWND window, unsigned command) override
    {
        calls << QStringLiteral("owner%1").arg(window) + (command == GW_OWNER ? "" : "?");
        const auto found = owners.find(window);
        return found == owners.end() ? 0 : found->second;
    }
};

} // namespace
} // namespace Sernix::Window::user32

class WindowIconTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void iconRoutineCalls_data()
    {
        // Window 10, owned by 20, owned in turn by 30, where the row says so.
        QTest::addColumn<qint16>("ownerToo");
        QTest::addColumn<bool>("owned");
        QTest::addColumn<QString>("calls");
        QTest::newRow("owner too, none there: each icon twice")
            << qint16(-1) << false
            << "owner10 metric11 metric12 load32x32 icon10:1:1032 icon10:1:1032 "
               "metric49 metric50 load16x16 icon10:0:1016 icon10:0:1016";
        QTest::newRow("owner too: the topmost owner first")
            << qint16(1) << true
            << "owner10 owner20 owner30 metric11 metric12 load32x32 icon30:1:1032 icon10:1:1032 "
               "metric49 metric50 load16x16 icon30:0:1016 icon10:0:1016";
        QTest::newRow("window only: owners never looked for")
            << qint16(0) << true
            << "metric11 metric12 load32x32 icon10:1:1032 metric49 metric50 load16x16 icon10:0:1016";
    }

    void iconRoutineCalls()
    {
        QFETCH(qint16, ownerToo);
        QFETCH(bool, owned);
        QFETCH(QString, calls);
        user32::RecordingApi api;
        if (owned)
            api.owners = {{10, 20}, {20, 30}};
        Module1::SetWindowIcon(10, QStringLiteral("Icon1"), ownerToo, api);
        QCOMPARE(api.calls.join(u' '), calls);
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
