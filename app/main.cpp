#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "app/ui/SoundPlayer.h"
#include "app/ui/SplashWindow.h"
#include "app/ui/WidgetDialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QIcon>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {
// With OSTREVAN_REPORT_SHOWN set, the first paint of the main window prints the wall-clock time in
// milliseconds on stdout ("shown MS", then "ready MS" when its lists are filled): the start-up
// benchmark's stop watch.
class ShownReporter final : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->objectName() == "frmMain"_L1) {
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
    QApplication::setOrganizationName(u"Ostrevan"_s);
    QApplication::setApplicationName(u"Ostrevan"_s);
    // The desktop entry's name, by which the desktop matches the windows to the entry and its icon.
    QApplication::setDesktopFileName(u"ostrevan"_s);
    QIcon icon = QIcon::fromTheme(u"ostrevan"_s);
    if (icon.isNull()) {
        icon.addFile(u":/icons/48x48/apps/ostrevan.png"_s);
        icon.addFile(u":/icons/256x256/apps/ostrevan.png"_s);
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
