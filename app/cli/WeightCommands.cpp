// ostrevan-cli: importing the rating-to-weight table.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "bookings/WeightTable.h"
#include "db/Database.h"

#include <QDir>

namespace {

int importWeightsCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    if (arguments.size() != 1) {
        cli::err(QStringLiteral("usage: import-weights FILE.csv"));
        return 2;
    }
    cli::loadSettings();
    try {
        const int count = weighttable::importWeightTable(arguments.first());
        cli::out(QStringLiteral("%1: %2 rating weights imported").arg(QDir::toNativeSeparators(arguments.first())).arg(count));
        return 0;
    } catch (const weighttable::ImportError &error) {
        dialogs.critical(QStringLiteral("Error"), error.message() + QStringLiteral("\nNothing was imported."));
    } catch (const DbError &error) {
        dialogs.critical(QStringLiteral("Error"), error.message());
    }
    return 1;
}

const cli::Registration importWeights("import-weights",
                                      "import-weights FILE.csv   replace the rating-to-weight table with the file's rows "
                                      "(MeetType,RaceType,Rating,Weight)",
                                      importWeightsCommand);

} // namespace
