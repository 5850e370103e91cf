#include "window/application.h"
#include "window/module1.h"

#include <QDialog>
#include <QtTest>

#include <map>

using namespace user32;

namespace {

// Stands in for the window system and writes down every call, so the order of
// the icon routine's work can be checked.
class RecordingApi final : public Api
{
public:
    std::map<HWND, HWND> owners;
    QStringList calls;

    HINSTANCE currentInstance() override { return 7; }
    int GetSystemMetrics(int index) override
    {
        calls << QStringLiteral("metrics %1").arg(index);
        return index == SM_CXICON || index == SM_CYICON ? 32 : 16;
    }
    HANDLE LoadImageA(HINSTANCE instance, const char *name, unsigned type, int cx, int cy, unsigned flags) override
    {
        calls << QStringLiteral("load %1 %2 %3 %4x%5 %6")
                     .arg(instance)
                     .arg(QLatin1String(name))
                     .arg(type)
                     .arg(cx)
                     .arg(cy)
                     .arg(flags, 0, 16);
        return HANDLE(1000 + cx);
    }
    LRESULT SendMessageA(HWND window, unsigned message, WPARAM size, LPARAM icon) override
    {
        calls << QStringLiteral("send %1 %2 %3 %4").arg(window).arg(message, 0, 16).arg(size).arg(icon);
        return 0;
    }
    HWND GetWindow(HWND window, unsigned command) override
    {
        calls << QStringLiteral("owner? %1 %2").arg(window).arg(command);
        const auto found = owners.find(window);
        return found == owners.end() ? 0 : found->second;
    }
};

} // namespace

class WindowIconTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowWithoutOwnerGetsEachIconTwice()
    {
        RecordingApi api;
        QString name = QStringLiteral("Icon1");
        Module1::SetWindowIcon(10, name, -1, api);
        QCOMPARE(name, QStringLiteral("Icon1"));
        QCOMPARE(api.calls,
                 QStringList({
                     "owner? 10 4",
                     "metrics 11",
                     "metrics 12",
                     "load 7 Icon1 1 32x32 8000",
                     "send 10 80 1 1032",
                     "send 10 80 1 1032",
                     "metrics 49",
                     "metrics 50",
                     "load 7 Icon1 1 16x16 8000",
                     "send 10 80 0 1016",
                     "send 10 80 0 1016",
                 }));
    }

    void ownerFlagFalseNeverLooksForAnOwner()
    {
        RecordingApi api;
        api.owners = {{10, 20}};
        Module1::SetWindowIcon(10, QStringLiteral("Icon1"), 0, api);
        QVERIFY(api.calls.filter(QStringLiteral("owner?")).isEmpty());
        QCOMPARE(api.calls.filter(QStringLiteral("send")), QStringList({"send 10 80 1 1032", "send 10 80 0 1016"}));
    }

    void topmostOwnerIsServedBeforeTheWindow()
    {
        RecordingApi api;
        api.owners = {{10, 20}, {20, 30}};
        Module1::SetWindowIcon(10, QStringLiteral("Icon1"), 1, api);
        QCOMPARE(api.calls.filter(QStringLiteral("owner?")),
                 QStringList({"owner? 10 4", "owner? 20 4", "owner? 30 4"}));
        QCOMPARE(api.calls.filter(QStringLiteral("send")),
                 QStringList({"send 30 80 1 1032", "send 10 80 1 1032", "send 30 80 0 1016", "send 10 80 0 1016"}));
    }

    void platformLayerGivesRealWindowsTheIcon()
    {
        Api &api = platformApi();
        // Resource names match without regard to case; a missing one loads as 0.
        const HANDLE large = api.LoadImageA(api.currentInstance(), "icon1", IMAGE_ICON, 32, 32, LR_SHARED);
        QVERIFY(large != 0);
        QCOMPARE(api.LoadImageA(api.currentInstance(), "ICON1", IMAGE_ICON, 32, 32, LR_SHARED), large);
        QVERIFY(api.LoadImageA(api.currentInstance(), "ICON1", IMAGE_ICON, 16, 16, LR_SHARED) != large);
        QCOMPARE(api.LoadImageA(api.currentInstance(), "NoSuchIcon", IMAGE_ICON, 32, 32, LR_SHARED), HANDLE(0));

        QWidget owner;
        QDialog dialog(&owner);
        owner.show();
        dialog.show();
        QCOMPARE(api.GetWindow(windowHandle(&dialog), GW_OWNER), windowHandle(&owner));
        QCOMPARE(api.GetWindow(windowHandle(&owner), GW_OWNER), HWND(0));

        Module1::SetWindowIcon(windowHandle(&dialog), QStringLiteral("Icon1"), -1);
        const int largeSize = api.GetSystemMetrics(SM_CXICON);
        const int smallSize = api.GetSystemMetrics(SM_CXSMICON);
        for (QWidget *window : {static_cast<QWidget *>(&owner), static_cast<QWidget *>(&dialog)}) {
            const QList<QSize> sizes = window->windowIcon().availableSizes();
            QVERIFY(sizes.contains(QSize(largeSize, largeSize)));
            QVERIFY(sizes.contains(QSize(smallSize, smallSize)));
        }
        // The picture itself arrives: the icon's middle is not transparent.
        const QImage picture = dialog.windowIcon().pixmap(largeSize).toImage();
        QVERIFY(picture.pixelColor(picture.rect().center()).alpha() > 0);
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
