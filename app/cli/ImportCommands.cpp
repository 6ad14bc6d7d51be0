// ostrevan-cli: loading field files.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "import/FieldFileLoader.h"

#include <QDir>

namespace {

int loadFieldsCommand(const QStringList &arguments, CliDialogs &)
{
    if (arguments.isEmpty()) {
        cli::err(QStringLiteral("usage: load-fields FILE..."));
        return 2;
    }
    cli::loadSettings();

    int status = 0;
    fieldchanges::Count changes;
    for (const FieldFileLoadResult &result : FieldFileLoader::loadFiles(arguments, {})) {
        changes.total += result.changes.total;
        changes.onBooked += result.changes.onBooked;
        const QString name = QDir::toNativeSeparators(result.path);
        if (result.loaded) {
            cli::out(QStringLiteral("%1: meeting %2, level %3, %4 races, %5 horses%6")
                         .arg(name, result.meetingCode, result.level)
                         .arg(result.races)
                         .arg(result.horses)
                         .arg((result.skippedLines ? QStringLiteral(", %1 lines skipped").arg(result.skippedLines)
                                                   : QString())
                              + (result.emptiedValues
                                     ? QStringLiteral(", %1 values left empty").arg(result.emptiedValues)
                                     : QString())));
        } else if (!result.leftOut.isEmpty()) {
            cli::out(QStringLiteral("%1: left out (%2)").arg(name, result.leftOut));
        } else {
            cli::out(QStringLiteral("%1: not loaded").arg(name));
            status = 1;
        }
    }
    cli::printChanges(changes);
    return status;
}

const cli::Registration
    loadFields("load-fields",
               "load-fields FILE...       load field files (.DGN/.DGW/.DGA ...) in stage order; exit 1 when one failed",
               loadFieldsCommand);

} // namespace
