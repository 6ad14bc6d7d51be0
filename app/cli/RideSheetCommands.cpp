// ostrevan-cli: a jockey's rides of a day (lines, PDF, calendar file) and their season by month.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "core/Clock.h"
#include "core/cAppSettings.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "rides/RideCalendar.h"
#include "rides/RideSheet.h"
#include "rides/RideSheetReport.h"
#include "rides/SeasonFigures.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// Options with a value go into `valued`; the one plain word into `*word`. False (said) otherwise.
bool parseArguments(const char *command, const QStringList &arguments, const QHash<QString, QString *> &valued,
                    QString *word, bool *all = nullptr)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (valued.contains(argument) && i + 1 < arguments.size()) {
            *valued.value(argument) = arguments.at(++i);
        } else if (all && argument == "--all"_L1) {
            *all = true;
        } else if (word->isEmpty() && !argument.startsWith("--"_L1)) {
            *word = argument;
        } else {
            cli::err(u"%1: unexpected argument %2"_s.arg(QLatin1String(command), argument));
            return false;
        }
    }
    return true;
}

bool dateOption(const char *command, const QString &text, const char *name, QDate *date)
{
    if (text.isEmpty())
        return true;
    *date = QDate::fromString(text, Qt::ISODate);
    if (date->isValid())
        return true;
    cli::err(u"%1: %2 takes a date as YYYY-MM-DD"_s.arg(QLatin1String(command), QLatin1String(name)));
    return false;
}

int rideSheetCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    QString jockey, date, daysText, pdf, ics;
    bool all = false;
    if (!parseArguments("ride-sheet", arguments,
                        {{u"--date"_s, &date}, {u"--days"_s, &daysText}, {u"--pdf"_s, &pdf}, {u"--ics"_s, &ics}},
                        &jockey, &all))
        return 2;
    if (jockey.isEmpty() == !all) {
        cli::err(u"ride-sheet: name one jockey or --all"_s);
        return 2;
    }
    bool daysOk = true;
    const int days = daysText.isEmpty() ? 1 : daysText.toInt(&daysOk);
    if (!daysOk || days < 1 || days > 366) {
        cli::err(u"ride-sheet: --days takes a number of days from 1 to 366"_s);
        return 2;
    }
    QDate first;
    if (!dateOption("ride-sheet", date, "--date", &first))
        return 2;
    cli::loadSettings();
    return runGuarded(
               [&] {
                   QString name;
                   if (!all) {
                       name = ridesheet::managedJockeyNamed(jockey);
                       if (name.isEmpty()) {
                           dialogs.critical(u"Error"_s, u"There is no jockey named %1"_s.arg(jockey));
                           return 1;
                       }
                   }
                   if (!first.isValid())
                       first = ridesheet::nextDayWithRides(name, Clock::instance().today());
                   const QList<Ride> rides = ridesheet::readRides(name, first, days);
                   for (const Ride &ride : rides)
                       cli::out(ridesheet::rideLine(ride));
                   QString why;
                   if (!pdf.isEmpty() &&
                       !RideSheetReport(rides, cAppSettings::instance().Companyname, first, days).writePdf(pdf, &why)) {
                       dialogs.critical(u"Error"_s, why);
                       return 1;
                   }
                   if (!ics.isEmpty() && !ridecalendar::writeCalendar(ics, rides, Clock::instance().now(), &why)) {
                       dialogs.critical(u"Error"_s, why);
                       return 1;
                   }
                   return 0;
               },
               dialogs)
        .value_or(1);
}

int seasonCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    QString jockey, from, to;
    if (!parseArguments("season", arguments, {{u"--from"_s, &from}, {u"--to"_s, &to}}, &jockey))
        return 2;
    if (jockey.isEmpty()) {
        cli::err(u"season: a jockey name is needed"_s);
        return 2;
    }
    cli::loadSettings();
    season::Range range = season::lastTwelveMonths(Clock::instance().today());
    if (!dateOption("season", from, "--from", &range.from) || !dateOption("season", to, "--to", &range.to))
        return 2;
    if (range.to < range.from) {
        cli::err(u"season: --to is before --from"_s);
        return 2;
    }
    return runGuarded(
               [&] {
                   const QString name = ridesheet::managedJockeyNamed(jockey);
                   if (name.isEmpty()) {
                       dialogs.critical(u"Error"_s, u"There is no jockey named %1"_s.arg(jockey));
                       return 1;
                   }
                   for (const MonthFigures &month : season::monthFigures(name, range))
                       cli::out(season::monthLine(month));
                   return 0;
               },
               dialogs)
        .value_or(1);
}

const cli::Registration rideSheet(
    "ride-sheet",
    "ride-sheet JOCKEY|--all [--date YYYY-MM-DD] [--days N] [--pdf FILE] [--ics FILE]  the booked rides of a day "
    "(by default the next day with rides), one tab-separated line each: date, start time, meeting, race, horse, "
    "barrier, weight, trainer, phone, booking state, warning; --pdf writes the ride sheets, --ics a calendar file",
    rideSheetCommand);

const cli::Registration seasonFigures(
    "season",
    "season JOCKEY [--from YYYY-MM-DD --to YYYY-MM-DD]  the jockey's rides by month (by default the last 12 months), "
    "one tab-separated line each: month, rides, wins, seconds, thirds, prize money, strike rate %",
    seasonCommand);

} // namespace
