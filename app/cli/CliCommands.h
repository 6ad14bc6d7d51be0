#pragma once

#include "bookings/FieldChanges.h"

#include <QString>
#include <QStringList>

#include <functional>

class CliDialogs;

namespace cli {

// A command gets its own arguments and returns the process exit status.
using Command = std::function<int(const QStringList &arguments, CliDialogs &dialogs)>;

// Each command file registers its commands with a static Registration.
struct Registration {
    Registration(const char *name, const char *usage, Command command);
};

QString commandSummary();
int run(const QString &name, const QStringList &arguments, CliDialogs &dialogs);

// Prints a line to stdout / stderr.
void out(const QString &line);
void err(const QString &line);
// A value as one field of a tab-separated line: a tab or line break inside it would split it.
QString flat(QString text);

// Loads the settings (as the program does at start), puts the default database folder in place and
// loads the data-server account every command sends (the keychain's password where one runs); false
// with a message when the settings cannot be read.
bool loadSettings();

// The closing line of a load: "Changes: N (M on booked horses)".
void printChanges(const fieldchanges::Count &count);

} // namespace cli
