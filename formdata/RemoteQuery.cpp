#include "RemoteQuery.h"

#include "HttpRequest.h"
#include "core/QueryCredentials.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"

#include <QUrl>

namespace {

const QString kRowSeparator = QStringLiteral("<br>\n");

QString encodedCredential(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

struct BatchState {
    int depth = 0;
    bool failed = false;
    QString failure; // the first failed answer of the open batch
    bool failureWasErrorPage = false;
    bool shown = false;
};

// Per thread: a batch on a worker thread neither sees nor ends the windows' requests.
BatchState &batchState()
{
    thread_local BatchState state;
    return state;
}

} // namespace

DataServerBatch::DataServerBatch()
{
    ++batchState().depth;
}

DataServerBatch::~DataServerBatch()
{
    if (--batchState().depth == 0)
        batchState() = {};
}

void ShowConnectionError(const QString &answer)
{
    BatchState &batch = batchState();
    if (batch.depth > 0) {
        if (batch.shown)
            return;
        batch.shown = true;
    }
    UserDialogs::instance().message(QLatin1String(kConnectionErrorTitle), answer, UserDialogs::Icon::Critical);
}

QString dataServerAddress(const QString &sql)
{
    QString text = sql;
    text.replace(QLatin1Char('+'), QLatin1String("%2B"));
    text.replace(QLatin1Char('#'), QLatin1String("%23"));
    const QueryCredentials &credentials = QueryCredentials::current();
    // "host:port" is plain HTTP as it always was; a setting with its own scheme (https://) keeps it.
    QString server = cAppSettings::instance().DataServer;
    if (!server.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        && !server.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        server.prepend(QLatin1String("http://"));
    while (server.endsWith(QLatin1Char('/')))
        server.chop(1);
    return server + QStringLiteral("/SQLQuery.php?sqlquery=")
        + text + QStringLiteral("&username=") + encodedCredential(credentials.userName) + QStringLiteral("&userpass=")
        + encodedCredential(credentials.password);
}

QString DataServerRequest(const QString &sql)
{
    return DataServerRequest(sql, nullptr);
}

QString DataServerRequest(const QString &sql, bool *errorPageShown)
{
    BatchState &batch = batchState();
    if (batch.failed) {
        if (errorPageShown)
            *errorPageShown = batch.failureWasErrorPage;
        return batch.failure;
    }
    bool errorPage = false;
    const QString address = dataServerAddress(sql);
    QString answer = HttpRequest(address, QStringLiteral("GET"), {}, &errorPage);
    // Every row ends with its terminator: an answer that stops anywhere else was cut off on the way.
    if (!errorPage && !answer.isEmpty() && !answer.startsWith(QLatin1String("Error:")) &&
        !answer.endsWith(kRowSeparator))
        answer = httpCutOffText(QStringLiteral("it ends in the middle of a row"), address);
    if (errorPageShown)
        *errorPageShown = errorPage;
    if (batch.depth > 0 && (errorPage || answer.startsWith(QLatin1String("Error:")))) {
        batch.failed = true;
        batch.failure = answer;
        batch.failureWasErrorPage = errorPage;
        batch.shown = batch.shown || errorPage;
    }
    return answer;
}

QStringList splitAnswerRows(const QString &answer)
{
    return answer.split(kRowSeparator);
}

QStringList splitAnswerFields(const QString &row)
{
    return row.split(QLatin1Char('|'));
}

std::optional<QList<QStringList>> DataServerRows(const QString &sql)
{
    bool errorPageShown = false;
    const QString answer = DataServerRequest(sql, &errorPageShown);
    if (errorPageShown)
        return std::nullopt;
    if (answer.startsWith(QLatin1String("Error:"))) {
        ShowConnectionError(answer);
        return std::nullopt;
    }
    QList<QStringList> rows;
    for (const QString &row : splitAnswerRows(answer)) {
        if (!row.isEmpty())
            rows.append(splitAnswerFields(row));
    }
    return rows;
}

QString LookUpTrack(const QString &location)
{
    const QString sql = QStringLiteral("SELECT TrackCode, TrackClub, State, MeetType FROM Track WHERE TrackLocat = '")
        + location.toUpper() + QLatin1Char('\'');
    bool errorPageShown = false;
    const QString answer = DataServerRequest(sql, &errorPageShown);
    if (answer.startsWith(QLatin1String("Error:"))) {
        ShowConnectionError(answer);
        return {};
    }
    const QStringList pieces = splitAnswerRows(answer);
    return pieces.size() > 1 ? pieces.first() : QString();
}

bool LoadRaceShortCodes()
{
    const QString sql = QStringLiteral("SELECT RaceTerm, ShtTerm FROM RaceShortCode");
    bool errorPageShown = false;
    const QString answer = DataServerRequest(sql, &errorPageShown);
    if (errorPageShown)
        return false;
    if (answer.startsWith(QLatin1String("Error:"))) {
        ShowConnectionError(answer);
        return false;
    }
    QStringList codes;
    for (const QString &row : splitAnswerRows(answer)) {
        if (!row.isEmpty())
            codes << row;
    }
    raceShortCodes() = codes;
    return true;
}

QStringList &raceShortCodes()
{
    static QStringList codes;
    return codes;
}
