// ostrevan-cli: loading field files.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "import/FieldFileLoader.h"

#include <QDir>

using namespace Qt::Literals::StringLiterals;

namespace {

int loadFieldsCommand(const QStringList &arguments, CliDialogs &)
{
    if (arguments.isEmpty()) {
        cli::err(u"usage: load-fields FILE..."_s);
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
            cli::out(
                u"%1: meeting %2, level %3, %4 races, %5 horses%6"_s.arg(name, result.meetingCode, result.level)
                    .arg(result.races)
                    .arg(result.horses)
                    .arg((result.skippedLines ? u", %1 lines skipped"_s.arg(result.skippedLines) : QString()) +
                         (result.emptiedValues ? u", %1 values left empty"_s.arg(result.emptiedValues) : QString())));
        } else if (!result.leftOut.isEmpty()) {
            cli::out(u"%1: left out (%2)"_s.arg(name, result.leftOut));
        } else {
            cli::out(u"%1: not loaded"_s.arg(name));
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
