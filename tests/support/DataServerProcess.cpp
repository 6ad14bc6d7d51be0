#include "DataServerProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString kServer = QString::fromUtf8(OSTREVAN_DATASERVER_PATH);
const char *kTables[] = {"WORKRACE", "RACEMAST", "HORSMAST", "MEETMAST", "Track", "RaceShortCode"};
} // namespace

QString DataServerProcess::admin(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(kServer, arguments + QStringList{u"--db"_s, m_dbFile});
    if (!process.waitForStarted(10000))
        return u"cannot start "_s + kServer;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(600000))
        return u"%1 did not finish"_s.arg(arguments.join(u' '));
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return arguments.join(u' ') + u": "_s + QString::fromLocal8Bit(process.readAllStandardError());
    return {};
}

QString DataServerProcess::build(const QString &csvFolder, const QString &user, const QString &password)
{
    QString failure = admin({u"init"_s});
    for (const char *table : kTables) {
        const QString csv = csvFolder + u'/' + QLatin1String(table) + u".csv"_s;
        if (failure.isEmpty() && QFileInfo::exists(csv))
            failure = admin({u"import"_s, QLatin1String(table), csv});
    }
    if (failure.isEmpty())
        failure = admin({u"add-user"_s, user}, password.toUtf8() + '\n');
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
    if (m_dbFile.startsWith(u"mariadb://"_s))
        return QDir::temp().filePath(u"ostrevan-dataserver-%1-%2.log"_s.arg(m_port).arg(quintptr(this)));
    return m_dbFile + u".%1-%2.log"_s.arg(m_port).arg(quintptr(this));
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
    m_process.start(kServer, QStringList{u"serve"_s, u"--db"_s, m_dbFile, u"--listen"_s, host()} + extraOptions);
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
