#include "FormLookups.h"

#include "FormText.h"
#include "HttpRequest.h"
#include "RemoteQuery.h"
#include "core/Paths.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "db/Database.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace lookups {

QString horseSearchSql(const QString &typed)
{
    QString text = typed.toUpper();
    // The blank before the credentials that the address appends is part of the query text.
    return u"SELECT * From HORSMAST where Instr(HHORSE,'"_s + SqlQuoteForUrl(text) +
           u"') and hWinage > 0 order by HWinAge, hhorse LIMIT 0,30 "_s;
}

QList<HorseRow> parseHorses(const QString &answer)
{
    QList<HorseRow> horses;
    for (const QString &row : splitAnswerRows(answer)) {
        const QStringList f = splitAnswerFields(row);
        if (f.size() < 3)
            continue;
        const QDate dob = QDate::fromString(f.value(1).left(10), u"yyyy-MM-dd"_s);
        horses.append({properCase(f.value(0)), dob.isValid() ? dob.toString(u"dd/MM/yy"_s) : f.value(1),
                       properCase(f.value(2)), properCase(f.value(3)), f.value(4), f.value(5).trimmed(),
                       properCase(f.value(6))});
    }
    return horses;
}

SearchResult searchHorses(const QString &typed)
{
    UserDialogs &dialogs = UserDialogs::instance();
    if (typed.isEmpty()) {
        dialogs.critical(u"Ostrevan 2"_s, u"Enter Part of Horsname and enter"_s);
        return {SearchOutcome::EmptyInput, {}};
    }
    bool errorPage = false;
    const QString answer = DataServerRequest(horseSearchSql(typed), &errorPage);
    if (errorPage)
        return {SearchOutcome::Failed, {}};
    if (answer.startsWith("Error:"_L1)) {
        dialogs.critical(QLatin1String(kConnectionErrorTitle), answer);
        return {SearchOutcome::Failed, {}};
    }
    QList<HorseRow> horses = parseHorses(answer);
    if (horses.isEmpty()) {
        dialogs.message(u"Error"_s, u"No Horse Found with Characters"_s, UserDialogs::Icon::Critical);
        return {SearchOutcome::NothingFound, {}};
    }
    return {SearchOutcome::Found, horses};
}

QString ratingSearchAddress()
{
    return siteRoot(cAppSettings::instance().RatingHost) + u"/publishing/RBH/pgFindHorse.asp?txtMode=ProcessSearch"_s;
}

QString ratingSearchBody(const QString &horse)
{
    return u"lstStates=VIC&lstRType=1&txtHorseName="_s + QString(horse).replace(u' ', u'+') +
           u"&btnHorseName=Search&hdnStateIndex="_s;
}

QString detailsLink(const QString &listPage)
{
    const qsizetype active = listPage.indexOf(u"<td nowrap>Active&nbsp;</td>"_s);
    if (active < 0)
        return {};
    const qsizetype start = listPage.lastIndexOf(u"/Publishing/RBH/pgHorseDetails.asp?"_s, active);
    if (start < 0)
        return {};
    const qsizetype end = listPage.indexOf(u"'>"_s, start);
    if (end < 0)
        return {};
    return listPage.mid(start, end - start);
}

QString ratingLookUp(const QString &horse, bool *failedFlag)
{
    auto failed = [failedFlag](const QString &answer) {
        if (!answer.startsWith("Error:"_L1))
            return false;
        if (failedFlag)
            *failedFlag = true;
        UserDialogs::instance().message(
            u"Data Error"_s, u"There is some problem trying to retrieve the real-time data. Please try again later."_s,
            UserDialogs::Icon::Exclamation);
        return true;
    };
    QString page = HttpRequest(ratingSearchAddress(), u"POST"_s, ratingSearchBody(horse));
    if (failed(page))
        return {};
    if (page.contains(u"FIND HORSE - Ratings"_s)) {
        const QString link = detailsLink(page);
        if (!link.isEmpty()) {
            const QString details = HttpRequest(siteRoot(cAppSettings::instance().RatingHost) + link);
            if (failed(details))
                return {};
            page = details;
        }
    }
    return page;
}

QString writeDisplayPage(const QString &page)
{
    if (page.trimmed().isEmpty())
        return {};
    const QString path = QDir(programFolder()).filePath(u"display.html"_s);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(page.toUtf8());
    return path;
}

QString registrationAddress(const QString &horse)
{
    return siteRoot(cAppSettings::instance().RegistrationHost) + u"/FreeServices/HorseSearch.aspx?key="_s + horse;
}

} // namespace lookups
