// ostrevan-cli: form statistics, race results and the horse search, one tab-separated line each.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "db/Database.h"
#include "formdata/FormLookups.h"
#include "formdata/FormStatistics.h"
#include "formdata/RaceResult.h"
#include "roster/ManagedJockeys.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The managed jockeys as the statistics query restricts them: the local jockey list.
QString managedJockeyList()
{
    if (!ManagedJockeys::IconJockeyList().isEmpty())
        return ManagedJockeys::IconJockeyList();
    try {
        QStringList names;
        QueryResult query = OpenQuery(u"SELECT Jockey FROM Jockey ORDER BY Jockey"_s);
        while (query.next())
            names << query.value(0).toString();
        return BuildJockeyInList(names);
    } catch (const DbError &) {
        return {};
    }
}

int formCommand(const QStringList &arguments, CliDialogs &)
{
    QStringList rest;
    QString formTrainer;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == "--form-trainer"_L1 && i + 1 < arguments.size())
            formTrainer = arguments.at(++i);
        else
            rest << arguments.at(i);
    }
    using formstats::Mode;
    const Mode mode = rest.size() == 2 ? formstats::modeFromText(rest.at(0)) : Mode::Other;
    if (mode == Mode::Other) {
        cli::err(u"usage: form horse|jockey|trainer|horse/jockey|trainer/jockey NAME [--form-trainer NAME]"_s);
        return 2;
    }
    cli::loadSettings();
    StatsHandOver values;
    values.StatsMode = rest.at(0);
    const QString &name = rest.at(1);
    if (mode == Mode::Horse || mode == Mode::HorseJockey)
        values.StatsHorse = name;
    else if (mode == Mode::Jockey)
        values.StatsJockey = name;
    else
        values.StatsTrainer = name;
    values.StatsFormTrainer = formTrainer;
    const bool combined = mode == Mode::HorseJockey || mode == Mode::TrainerJockey;
    const QString jockeys = combined ? managedJockeyList() : QString();
    if (combined && jockeys.isEmpty()) {
        cli::err(u"form: %1 needs managed jockeys in the database (Jockey table)"_s.arg(rest.at(0)));
        return 1;
    }
    const std::optional<formstats::StatsResult> result = formstats::loadStatistics(values, jockeys);
    if (!result)
        return 1;
    const formstats::StatsRequest &request = result->request;
    for (const formstats::RunRow &run : result->runs) {
        QStringList fields;
        for (int c = 1; c < formstats::Spell; ++c) {
            const formstats::ColumnSpec &column = formstats::columns().at(c - 1);
            const bool shown = !column.hidden && !(c == formstats::Horse && !request.showHorse) &&
                               !(c == formstats::Jockey && !request.showJockey) &&
                               !(c == formstats::Trainer && !request.showTrainer);
            if (shown)
                fields << run.cell(c);
        }
        if (!run.rowText.isEmpty())
            fields << run.rowText;
        cli::out(fields.join(u'\t'));
    }
    cli::out(result->summary.line());
    return 0;
}

int resultCommand(const QStringList &arguments, CliDialogs &)
{
    if (arguments.size() < 3 || arguments.size() > 4) {
        cli::err(u"usage: result YYYY/MM/DD TRACK RACE [HORSE]"_s);
        return 2;
    }
    cli::loadSettings();
    const std::optional<raceresult::Result> result =
        raceresult::OpenResult(arguments.at(0), arguments.at(1), arguments.at(2), arguments.value(3));
    if (!result)
        return 1;
    cli::out(result->header.fields().join(u'\t'));
    for (const raceresult::Runner &runner : result->runners) {
        QStringList cells(runner.cells.begin(), runner.cells.end());
        // The runner asked about is marked as the window draws it in bold.
        if (runner.boldFrom > 0)
            cells << u"*"_s;
        cli::out(cells.join(u'\t'));
    }
    return 0;
}

int findHorseCommand(const QStringList &arguments, CliDialogs &)
{
    if (arguments.size() != 1) {
        cli::err(u"usage: find-horse TEXT"_s);
        return 2;
    }
    cli::loadSettings();
    const lookups::SearchResult result = lookups::searchHorses(arguments.at(0));
    if (result.outcome == lookups::SearchOutcome::NothingFound)
        return 0;
    if (result.outcome != lookups::SearchOutcome::Found)
        return 1;
    for (const lookups::HorseRow &horse : result.horses)
        cli::out(QStringList{horse.horse, horse.sire, horse.dam, horse.age, horse.sex, horse.trainer}.join(u'\t'));
    return 0;
}

const cli::Registration form("form",
                             "form MODE NAME [--form-trainer NAME]  runs and summary (MODE horse, jockey, trainer, "
                             "horse/jockey, trainer/jockey)",
                             formCommand);
const cli::Registration
    result("result",
           "result YYYY/MM/DD TRACK RACE [HORSE]  race header and finishing order (HORSE's line ends "
           "with *)",
           resultCommand);
const cli::Registration findHorse("find-horse", "find-horse TEXT   horses whose name contains TEXT", findHorseCommand);

} // namespace
