#include "FormWindows.h"

#include "FrmBrowse.h"
#include "FrmRaceStats.h"
#include "FrmSelHorse.h"
#include "core/ui/BusyPointer.h"
#include "formdata/FormLookups.h"
#include "formdata/FormStatistics.h"
#include "frmRaceResult.h"

#include <QUrl>

using namespace Qt::Literals::StringLiterals;

void openStatistics(QWidget *parent)
{
    FrmRaceStats window(parent);
    window.load();
    window.exec();
}

namespace {

void openWith(QWidget *parent, const QString &mode, const std::function<void(StatsHandOver &)> &set)
{
    StatsHandOver &values = StatsHandOver::instance();
    values.StatsMode = mode;
    set(values);
    openStatistics(parent);
}

} // namespace

void openHorseForm(QWidget *parent, const QString &horse)
{
    openWith(parent, u"horse"_s, [&](StatsHandOver &v) { v.StatsHorse = horse; });
}

void openHorseJockeyForm(QWidget *parent, const QString &horse)
{
    openWith(parent, u"horse/jockey"_s, [&](StatsHandOver &v) { v.StatsHorse = horse; });
}

void openJockeyForm(QWidget *parent, const QString &jockey)
{
    openWith(parent, u"jockey"_s, [&](StatsHandOver &v) { v.StatsJockey = jockey; });
}

void openTrainerForm(QWidget *parent, const QString &trainer, const QString &formTrainer)
{
    openWith(parent, u"trainer"_s, [&](StatsHandOver &v) {
        v.StatsTrainer = trainer;
        v.StatsFormTrainer = formTrainer;
    });
}

void openTrainerJockeyForm(QWidget *parent, const QString &trainer, const QString &formTrainer)
{
    openWith(parent, u"trainer/jockey"_s, [&](StatsHandOver &v) {
        v.StatsTrainer = trainer;
        v.StatsFormTrainer = formTrainer;
    });
}

void openRaceResult(QWidget *parent, const QString &date, const QString &track, const QString &raceNo,
                    const QString &horse)
{
    std::optional<raceresult::Result> result;
    {
        BusyPointer busy;
        result = raceresult::OpenResult(date, track, raceNo, horse);
    }
    if (!result)
        return;
    frmRaceResult window(parent);
    window.fill(*result);
    window.exec();
}

void openHorseSearch(QWidget *parent)
{
    FrmSelHorse window(parent);
    window.exec();
}

void showRating(QWidget *parent, const QString &horse)
{
    QString path;
    {
        BusyPointer busy;
        path = lookups::writeDisplayPage(lookups::ratingLookUp(horse));
    }
    // An empty page (an error, already reported) opens no browser.
    if (!path.isEmpty())
        FrmBrowse::showPage(parent, QLatin1String(lookups::kRatingCaption), QUrl::fromLocalFile(path));
}

void showRegistration(QWidget *parent, const QString &horse)
{
    FrmBrowse::showPage(parent, lookups::registrationCaption(horse), QUrl(lookups::registrationAddress(horse)), true);
}
