#include "app/ui/MainWindow.h"
#include "app/ui/SoundPlayer.h"
#include "app/ui/SplashWindow.h"
#include "app/ui/WidgetDialogs.h"

#include <QApplication>
#include <QIcon>

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

    auto *splash = new SplashWindow;
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->show();
    splash->load();
    const int status = app.exec();
    UserDialogs::setInstance(nullptr);
    return status;
}
