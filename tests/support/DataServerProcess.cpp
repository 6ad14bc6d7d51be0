#include "DataServerProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {
const QString kServer = QStringLiteral(OSTREVAN_DATASERVER_PATH);
const char *kTables[] = {"WORKRACE", "RACEMAST", "HORSMAST", "MEETMAST", "Track", "RaceShortCode"};
} // namespace

QString DataServerProcess::admin(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(kServer, arguments + QStringList{QStringLiteral("--db"), m_dbFile});
    if (!process.waitForStarted(10000))
        return QStringLiteral("cannot start ") + kServer;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(600000))
        return QStringLiteral("%1 did not finish").arg(arguments.join(QLatin1Char(' ')));
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return arguments.join(QLatin1Char(' ')) + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError());
    return {};
}

QString DataServerProcess::build(const QString &csvFolder, const QString &user, const QString &password)
{
    QString failure = admin({QStringLiteral("init")});
    for (const char *table : kTables) {
        const QString csv = csvFolder + QLatin1Char('/') + QLatin1String(table) + QStringLiteral(".csv");
        if (failure.isEmpty() && QFileInfo::exists(csv))
            failure = admin({QStringLiteral("import"), QLatin1String(table), csv});
    }
    if (failure.isEmpty())
        failure = admin({QStringLiteral("add-user"), user}, password.toUtf8() + '\n');
    return failure;
}

quint16 DataServerProcess::freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString DataServerProcess::logFile() const
{
    if (m_dbFile.startsWith(QStringLiteral("mariadb://")))
        return QDir::temp().filePath(QStringLiteral("ostrevan-dataserver-%1-%2.log").arg(m_port).arg(quintptr(this)));
    return m_dbFile + QStringLiteral(".%1-%2.log").arg(m_port).arg(quintptr(this));
}

QByteArray DataServerProcess::log() const
{
    QFile file(logFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool DataServerProcess::start(const QStringList &extraOptions, quint16 port)
{
    m_port = port ? port : freePort();
    m_process.setStandardErrorFile(logFile());
    m_process.start(kServer, QStringList{QStringLiteral("serve"), QStringLiteral("--db"), m_dbFile,
                                         QStringLiteral("--listen"), host()} + extraOptions);
    if (!m_process.waitForStarted(10000))
        return false;
    // Ready once it says so: another server may already answer on a shared port.
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(500) && log().contains("listening on"))
            return true;
        if (m_process.state() != QProcess::Running)
            return false;
        QThread::msleep(50);
    }
    return false;
}

int DataServerProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
        return -1;
    }
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}
