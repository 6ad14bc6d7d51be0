// ostrevan-cli: the race window's weight calculation and the meeting report, without windows.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "bookings/MeetingReport.h"
#include "bookings/RaceRunners.h"
#include "bookings/WeightCalculation.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

int calcWeightsCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    if (arguments.size() != 3) {
        cli::err(u"usage: calc-weights MEETINGCODE RACE RACETYPE"_s);
        return 2;
    }
    bool ok = false;
    const int race = arguments.at(1).toInt(&ok);
    if (!ok || race < 1) {
        cli::err(u"calc-weights: the race number must be a whole number from 1"_s);
        return 2;
    }
    cli::loadSettings();
    return runGuarded(
               [&] {
                   const QString meeting = arguments.at(0);
                   if (!racewindow::loadMeetingHeader(meeting).found) {
                       cli::err(u"calc-weights: no meeting %1"_s.arg(meeting));
                       return 1;
                   }
                   const racewindow::RaceHeader header = racewindow::loadRaceHeader(meeting, race);
                   if (!header.found) {
                       cli::err(u"calc-weights: meeting %1 has no race %2"_s.arg(meeting).arg(race));
                       return 1;
                   }
                   const WeightResult result = CalculateWeights(meeting, race, arguments.at(2), header.raceText);
                   if (result.outcome != WeightResult::Outcome::Done)
                       return 1;
                   for (const RunnerWeight &runner : result.runners)
                       cli::out(u"%1\t%2"_s.arg(runner.horse, QString::number(runner.weight, 'f', 1)));
                   return 0;
               },
               dialogs)
        .value_or(1);
}

int meetingReportCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    QString meeting;
    QString pdf;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == "--pdf"_L1 && i + 1 < arguments.size())
            pdf = arguments.at(++i);
        else if (meeting.isEmpty() && !arguments.at(i).startsWith("--"_L1))
            meeting = arguments.at(i);
        else {
            cli::err(u"meeting-report: unexpected argument %1"_s.arg(arguments.at(i)));
            return 2;
        }
    }
    if (meeting.isEmpty() || pdf.isEmpty()) {
        cli::err(u"usage: meeting-report MEETINGCODE --pdf FILE"_s);
        return 2;
    }
    cli::loadSettings();
    return runGuarded(
               [&] {
                   const meetingreport::Report report = meetingreport::buildReport(meeting);
                   if (!report.found) {
                       cli::err(u"meeting-report: no meeting %1"_s.arg(meeting));
                       return 1;
                   }
                   if (!meetingreport::writePdf(report, pdf)) {
                       dialogs.critical(u"Error"_s, u"The PDF file could not be written: %1"_s.arg(pdf));
                       return 1;
                   }
                   cli::out(u"%1: %2 runners in %3 races, %4 pages"_s.arg(QFileInfo(pdf).absoluteFilePath())
                                .arg(report.lineCount())
                                .arg(report.groups.size())
                                .arg(meetingreport::pageCount(report)));
                   return 0;
               },
               dialogs)
        .value_or(1);
}

const cli::Registration calcWeights("calc-weights",
                                    "calc-weights MEETINGCODE RACE RACETYPE   weights from ratings; prints each "
                                    "runner's name and weight",
                                    calcWeightsCommand);
const cli::Registration meetingReport("meeting-report",
                                      "meeting-report MEETINGCODE --pdf FILE   the meeting report as a PDF",
                                      meetingReportCommand);

} // namespace
