#include "RatingLookup.h"

#include "HttpRequest.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"

using namespace Qt::Literals::StringLiterals;

namespace {

QString siteRoot()
{
    const QString host = cAppSettings::instance().RatingHost;
    return host.contains("://"_L1) ? host : "http://"_L1 + host;
}

} // namespace

QString activeHorseLink(const QString &listPage)
{
    const qsizetype active = listPage.indexOf("<td nowrap>Active&nbsp;</td>"_L1);
    if (active < 0)
        return QString();
    const qsizetype link = listPage.lastIndexOf("/Publishing/RBH/pgHorseDetails.asp?"_L1, active);
    if (link < 0)
        return QString();
    const qsizetype end = listPage.indexOf("'>"_L1, link);
    return end < 0 ? QString() : listPage.mid(link, end - link);
}

QString fetchRatingPage(const QString &horse)
{
    QString name = horse;
    name.replace(u' ', u'+');
    const QString answer =
        HttpRequest(siteRoot() + "/publishing/RBH/pgFindHorse.asp?txtMode=ProcessSearch"_L1, u"POST"_s,
                    "lstStates=VIC&lstRType=1&txtHorseName="_L1 + name + "&btnHorseName=Search&hdnStateIndex="_L1);
    if (answer.startsWith("Error:"_L1)) {
        UserDialogs::instance().message(
            u"Data Error"_s, u"There is some problem trying to retrieve the real-time data. Please try again later."_s,
            UserDialogs::Icon::Exclamation);
        return QString();
    }
    if (!answer.contains("FIND HORSE - Ratings"_L1))
        return answer;
    const QString link = activeHorseLink(answer);
    if (link.isEmpty())
        return answer;
    const QString details = HttpRequest(siteRoot() + link);
    return details.startsWith("Error:"_L1) ? QString() : details;
}
