#include "RideRefresh.h"

#include "Startup.h"
#include "core/ThreadDialogs.h"
#include "core/UserDialogs.h"
#include "db/Database.h"
#include "formdata/HttpRequest.h"
#include "formdata/RemoteQuery.h"
#include "formdata/RideStatistics.h"

using namespace Qt::Literals::StringLiterals;

namespace riderefresh {
namespace {

// Keeps the first message instead of showing it: no box may come up over the agent's work.
class QuietDialogs final : public UserDialogs
{
public:
    QString heard;
    Answer ask(const QString &, const QString &text, Icon, Buttons buttons, Answer) override
    {
        if (heard.isEmpty())
            heard = text;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    QStringList openFiles(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }
    std::optional<QColor> pickColor(const QColor &, const QString &) override { return std::nullopt; }
};

QString failureOutcome(const QString &heard)
{
    if (heard.isEmpty() || isUnreachableAnswer(heard))
        return QLatin1String(kUnreachable);
    QString why = heard.section(u'\r', 0, 0).trimmed();
    if (why.startsWith("Error:"_L1))
        why = why.mid(6).trimmed();
    return QString::fromLatin1(kNotRefreshed).arg(why);
}

} // namespace

QString refreshAll(const BackgroundJob::Progress &progress)
{
    if (const auto replacement = startup::rideRefresherOverride()) {
        replacement();
        return {};
    }
    QuietDialogs quiet;
    setThreadUserDialogs(&quiet);
    struct Restore {
        ~Restore() { setThreadUserDialogs(nullptr); }
    } restore;
    const DataServerBatch batch;
    int upToDate = 0;
    try {
        for (const JockeyDownloadDate &entry : jockeyDownloadDates()) {
            if (BackgroundJob::stopRequested())
                return {};
            progress(u"Loading Jockey data for "_s + entry.jockey);
            const RideDownloadResult result = DownloadJockeyRides(entry.jockey, false, entry.since);
            if (!result.answered)
                return BackgroundJob::stopRequested() ? QString() : failureOutcome(quiet.heard);
            ++upToDate;
        }
    } catch (const DbError &error) {
        return QString::fromLatin1(kNotRefreshed).arg(error.message());
    }
    if (upToDate <= 1)
        return upToDate == 0 ? QString() : QString::fromLatin1(kOneUpToDate);
    return QString::fromLatin1(kUpToDate).arg(upToDate);
}

} // namespace riderefresh
