#include "app/ui/MainWindow.h"
#include "app/ui/SoundPlayer.h"
#include "app/ui/SplashWindow.h"
#include "app/ui/WidgetDialogs.h"
#include "app/Startup.h"

#include <QApplication>
#include <QDateTime>
#include <QIcon>

#include <cstdio>

namespace {
// With OSTREVAN_REPORT_SHOWN set, the first paint of the main window prints the wall-clock time in
// milliseconds on stdout ("shown MS", then "ready MS" when its lists are filled): the start-up
// benchmark's stop watch.
class ShownReporter final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->objectName() == QLatin1String("frmMain")) {
            std::printf("shown %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stdout);
            qApp->removeEventFilter(this);
        }
        return false;
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrevan"));
    QApplication::setApplicationName(QStringLiteral("Ostrevan"));
    // The desktop entry's name, by which the desktop matches the windows to the entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("ostrevan"));
    QIcon icon = QIcon::fromTheme(QStringLiteral("ostrevan"));
    if (icon.isNull()) {
        icon.addFile(QStringLiteral(":/icons/48x48/apps/ostrevan.png"));
        icon.addFile(QStringLiteral(":/icons/256x256/apps/ostrevan.png"));
    }
    QApplication::setWindowIcon(icon);
    QApplication::setQuitOnLastWindowClosed(true);

    WidgetDialogs dialogs;
    UserDialogs::setInstance(&dialogs);
    installSoundPlayer();

    ShownReporter reporter;
    auto *splash = new SplashWindow;
    if (qEnvironmentVariableIsSet("OSTREVAN_REPORT_SHOWN")) {
        app.installEventFilter(&reporter);
        // And when every list is filled.
        QObject::connect(splash, &SplashWindow::finished, [] {
            std::printf("ready %lld\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
            std::fflush(stdout);
        });
    }
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    splash->load();
    const int status = app.exec();
    // The closed window goes now, and its background work stops with it; what is left waits for nobody.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    startup::finishSession();
    UserDialogs::setInstance(nullptr);
    return status;
}
