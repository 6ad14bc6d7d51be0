#pragma once

#include <QProcess>
#include <QString>

using namespace Qt::Literals::StringLiterals;

// The real data server on a free loopback port, over a database built from CSV files.
class DataServerProcess
{
public:
    // `dbFile`: a SQLite file or a mariadb:// address.
    explicit DataServerProcess(const QString &dbFile) : m_dbFile(dbFile) {}
    void setDatabase(const QString &db) { m_dbFile = db; }
    ~DataServerProcess() { stop(); }

    // init, import every table whose CSV file lies in `csvFolder`, add the user. Empty on
    // success, else what failed.
    QString build(const QString &csvFolder, const QString &user, const QString &password);
    // Runs one admin command; empty on success, else its error output.
    QString admin(const QStringList &arguments, const QByteArray &input = {});
    // Starts serving (with extra `serve` options) and waits until it accepts connections; on a free port, or
    // on `port` beside another server already listening there.
    bool start(const QStringList &extraOptions = {}, quint16 port = 0);
    // Stops with SIGTERM; the exit code, -1 when it had to be killed or crashed.
    int stop();
    // What the server wrote on stderr (its access log).
    QByteArray log() const;
    bool running() const { return m_process.state() == QProcess::Running; }
    qint64 pid() const { return m_process.processId(); }

    quint16 port() const { return m_port; }
    QString host() const { return u"127.0.0.1:%1"_s.arg(m_port); }
    const QString &dbFile() const { return m_dbFile; }

    static quint16 freePort();

private:
    QString logFile() const;

    QString m_dbFile;
    QProcess m_process;
    quint16 m_port = 0;
};
