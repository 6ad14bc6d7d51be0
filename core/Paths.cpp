#include "Paths.h"

#include <QDir>
#include <QStandardPaths>

QString programFolder()
{
    QString folder = qEnvironmentVariable("OSTREVAN_HOME");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return QDir::cleanPath(folder);
}
