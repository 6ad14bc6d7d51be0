#include "DebugMode.h"

#include <QFile>

bool &DebugMode::on()
{
    static bool value = false;
    return value;
}

QString &DebugMode::path()
{
    static QString value;
    return value;
}

bool DebugMode::isOn()
{
    return on();
}

QString DebugMode::filePath()
{
    return path();
}

void DebugMode::turnOn(const QString &filePath)
{
    on() = true;
    path() = filePath;
}

void DebugMode::turnOff()
{
    on() = false;
    path().clear();
}

bool DebugMode::append(const QString &text)
{
    if (!on() || path().isEmpty())
        return true;
    QFile file(path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = text.toUtf8() + "\r\n";
    return file.write(bytes) == bytes.size();
}
