#include "CliCommands.h"

#include "CliDialogs.h"
#include "core/PasswordStore.h"
#include "core/Paths.h"
#include "core/cAppSettings.h"

#include <QDir>
#include <QMap>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace cli {
namespace {

struct Entry {
    QString usage;
    Command command;
};

QMap<QString, Entry> &commands()
{
    static QMap<QString, Entry> registry;
    return registry;
}

} // namespace

Registration::Registration(const char *name, const char *usage, Command command)
{
    commands().insert(QLatin1String(name), {QLatin1String(usage), std::move(command)});
}

QString commandSummary()
{
    QString summary;
    for (auto it = commands().cbegin(); it != commands().cend(); ++it)
        summary += u"  "_s + it->usage + u'\n';
    return summary;
}

int run(const QString &name, const QStringList &arguments, CliDialogs &dialogs)
{
    const auto it = commands().constFind(name);
    if (it == commands().cend()) {
        err(u"Unknown command: %1\n%2"_s.arg(name, commandSummary()));
        return 2;
    }
    return it->command(arguments, dialogs);
}

QString flat(QString text)
{
    return text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
}

void out(const QString &line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

void err(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
}

bool loadSettings()
{
    cAppSettings &settings = cAppSettings::instance();
    settings.LoadSettings(); // names any value it cannot read
    // Before the default below, which a password moved into the keychain would otherwise save.
    passwordstore::loadQueryCredentials();
    if (settings.DBPath.isEmpty())
        settings.DBPath = QDir::toNativeSeparators(programFolder());
    return true;
}

void printChanges(const fieldchanges::Count &count)
{
    out(u"Changes: %1 (%2 on booked horses)"_s.arg(count.total).arg(count.onBooked));
}

} // namespace cli
