// ostrevan-cli: importing the rating-to-weight table.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "bookings/WeightTable.h"
#include "db/Database.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

int importWeightsCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    if (arguments.size() != 1) {
        cli::err(u"usage: import-weights FILE.csv"_s);
        return 2;
    }
    cli::loadSettings();
    try {
        const int count = weighttable::importWeightTable(arguments.first());
        cli::out(u"%1: %2 rating weights imported"_s.arg(QDir::toNativeSeparators(arguments.first())).arg(count));
        return 0;
    } catch (const weighttable::ImportError &error) {
        dialogs.critical(u"Error"_s, error.message() + u"\nNothing was imported."_s);
    } catch (const DbError &error) {
        dialogs.critical(u"Error"_s, error.message());
    }
    return 1;
}

const cli::Registration
    importWeights("import-weights",
                  "import-weights FILE.csv   replace the rating-to-weight table with the file's rows "
                  "(MeetType,RaceType,Rating,Weight)",
                  importWeightsCommand);

} // namespace
