#include "app/ui/MainWindow.h"
#include "app/ui/SoundPlayer.h"
#include "app/ui/SplashWindow.h"
#include "app/ui/WidgetDialogs.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostrevan"));
    QApplication::setApplicationName(QStringLiteral("Ostrevan"));
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
