#include "RemoteQuery.h"

#include "HttpRequest.h"
#include "core/QueryCredentials.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"

#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kRowSeparator = u"<br>\n"_s;

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
    text.replace(u'+', "%2B"_L1);
    text.replace(u'#', "%23"_L1);
    const QueryCredentials &credentials = QueryCredentials::current();
    // "host:port" is plain HTTP as it always was; a setting with its own scheme (https://) keeps it.
    QString server = cAppSettings::instance().DataServer;
    if (!server.startsWith("http://"_L1, Qt::CaseInsensitive) && !server.startsWith("https://"_L1, Qt::CaseInsensitive))
        server.prepend("http://"_L1);
    while (server.endsWith(u'/'))
        server.chop(1);
    return server + u"/SQLQuery.php?sqlquery="_s + text + u"&username="_s + encodedCredential(credentials.userName) +
           u"&userpass="_s + encodedCredential(credentials.password);
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
    QString answer = HttpRequest(address, u"GET"_s, {}, &errorPage);
    // Every row ends with its terminator: an answer that stops anywhere else was cut off on the way.
    if (!errorPage && !answer.isEmpty() && !answer.startsWith("Error:"_L1) && !answer.endsWith(kRowSeparator))
        answer = httpCutOffText(u"it ends in the middle of a row"_s, address);
    if (errorPageShown)
        *errorPageShown = errorPage;
    if (batch.depth > 0 && (errorPage || answer.startsWith("Error:"_L1))) {
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
    return row.split(u'|');
}

std::optional<QList<QStringList>> DataServerRows(const QString &sql)
{
    bool errorPageShown = false;
    const QString answer = DataServerRequest(sql, &errorPageShown);
    if (errorPageShown)
        return std::nullopt;
    if (answer.startsWith("Error:"_L1)) {
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
    const QString sql =
        u"SELECT TrackCode, TrackClub, State, MeetType FROM Track WHERE TrackLocat = '"_s + location.toUpper() + u'\'';
    bool errorPageShown = false;
    const QString answer = DataServerRequest(sql, &errorPageShown);
    if (answer.startsWith("Error:"_L1)) {
        ShowConnectionError(answer);
        return {};
    }
    const QStringList pieces = splitAnswerRows(answer);
    return pieces.size() > 1 ? pieces.first() : QString();
}

bool LoadRaceShortCodes()
{
    const QString sql = u"SELECT RaceTerm, ShtTerm FROM RaceShortCode"_s;
    bool errorPageShown = false;
    const QString answer = DataServerRequest(sql, &errorPageShown);
    if (errorPageShown)
        return false;
    if (answer.startsWith("Error:"_L1)) {
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
