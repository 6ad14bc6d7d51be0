// ostrevan-cli: reading and writing settings values by their stored names.
#include "CliCommands.h"
#include "CliDialogs.h"
#include "core/PasswordStore.h"
#include "core/cAppSettings.h"

using namespace Qt::Literals::StringLiterals;

namespace {

bool isSet(const QString &value)
{
    return !value.isEmpty() && value != "0"_L1 && value != "0.00"_L1 && value != "False"_L1;
}

// The password the program uses may live in the keychain, its settings field then empty.
bool keychainHoldsPassword()
{
    const std::optional<QString> stored = passwordstore::readKeychain();
    return stored && !stored->isEmpty();
}

// NAME VALUE pairs; `onlyWhenEmpty` leaves values that are already set alone.
int assign(const QStringList &arguments, CliDialogs &dialogs, bool onlyWhenEmpty)
{
    if (arguments.isEmpty() || arguments.size() % 2 != 0) {
        cli::err(u"expected NAME VALUE pairs"_s);
        return 2;
    }
    cAppSettings &settings = cAppSettings::instance();
    settings.LoadSettings();
    QStringList keptNames;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        const QString &name = arguments.at(i);
        const auto current = settings.textOf(name);
        if (!current) {
            dialogs.critical(u"Settings Error"_s, u"No setting named %1"_s.arg(name));
            return 2;
        }
        if (onlyWhenEmpty && (isSet(*current) || (name == "UserPass"_L1 && keychainHoldsPassword()))) {
            keptNames << name;
            continue;
        }
        if (!settings.setFromText(name, arguments.at(i + 1))) {
            dialogs.critical(u"Settings Error"_s, u"%1 cannot take the value %2"_s.arg(name, arguments.at(i + 1)));
            return 2;
        }
    }
    if (!settings.SaveSettings()) {
        dialogs.critical(u"Settings Error"_s, u"The settings could not be saved"_s);
        return 1;
    }
    // The agent's own values stay; say so, since a set-up script may have expected its value to be stored.
    for (const QString &name : std::as_const(keptNames))
        cli::out(u"%1 left alone: it already has a value"_s.arg(name));
    return 0;
}

int getCommand(const QStringList &arguments, CliDialogs &dialogs)
{
    cAppSettings &settings = cAppSettings::instance();
    settings.LoadSettings();
    for (const QString &name : arguments) {
        const auto value = settings.textOf(name);
        if (!value) {
            dialogs.critical(u"Settings Error"_s, u"No setting named %1"_s.arg(name));
            return 2;
        }
        cli::out(name + u'=' + *value);
    }
    return 0;
}

const cli::Registration getting("settings-get", "settings-get NAME...      print settings values", getCommand);
const cli::Registration setting("settings-set", "settings-set NAME VALUE...  store settings values",
                                [](const QStringList &a, CliDialogs &d) { return assign(a, d, false); });
const cli::Registration
    defaulting("settings-default",
               "settings-default NAME VALUE...  store values that are still empty; names the ones left alone",
               [](const QStringList &a, CliDialogs &d) { return assign(a, d, true); });

} // namespace
