#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::Literals::StringLiterals;

QString programFolder()
{
    QString folder = qEnvironmentVariable("OSTREVAN_HOME");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return QDir::cleanPath(folder);
}

QString sharedDataFolder(const QString &programDir)
{
    const QString besideProgram = QDir::cleanPath(programDir + u"/../share/ostrevan"_s);
    if (QFileInfo(besideProgram).isDir())
        return besideProgram;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, u"ostrevan"_s, QStandardPaths::LocateDirectory);
}

QString sharedDataFolder()
{
    return sharedDataFolder(QCoreApplication::applicationDirPath());
}
