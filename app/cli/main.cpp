#include "CliCommands.h"
#include "CliDialogs.h"
#include "bookings/BookingHistory.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const char *kUsage = "usage: ostrevan-cli [--settings FILE] [--answer yes|no] COMMAND [ARGS...]\n\n"
                     "Ostrevan 2 without windows: scripted imports, downloads, invoices and maintenance\n"
                     "on the agent's database. Messages print as TITLE: TEXT on stderr; questions are\n"
                     "answered from --answer (default no).\n\nCommands:\n";

} // namespace

int main(int argc, char *argv[])
{
    // A PDF needs fonts, so a GUI application (offscreen: no display needed); other commands stay without.
    const bool drawsPdf =
        std::any_of(argv + 1, argv + argc, [](const char *a) { return std::strcmp(a, "--pdf") == 0; });
    if (drawsPdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app(drawsPdf ? new QGuiApplication(argc, argv)
                                                         : new QCoreApplication(argc, argv));
    QCoreApplication::setOrganizationName(u"Ostrevan"_s);
    QCoreApplication::setApplicationName(u"Ostrevan"_s);

    // The global options may stand anywhere; everything else belongs to the command.
    QStringList rest;
    QString answer = u"no"_s;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        auto valueOf = [&](const QString &name, QString &value) {
            if (argument == name && i + 1 < arguments.size()) {
                value = arguments.at(++i);
                return true;
            }
            if (argument.startsWith(name + u'=')) {
                value = argument.mid(name.size() + 1);
                return true;
            }
            return false;
        };
        QString value;
        if (valueOf(u"--settings"_s, value))
            qputenv("OSTREVAN_SETTINGS", value.toLocal8Bit());
        else if (valueOf(u"--answer"_s, value))
            answer = value.toLower();
        else if (argument == "--help"_L1 || argument == "-h"_L1) {
            std::printf("%s%s", kUsage, qPrintable(cli::commandSummary()));
            return 0;
        } else
            rest << argument;
    }
    if (answer != "yes"_L1 && answer != "no"_L1) {
        std::fprintf(stderr, "--answer takes yes or no\n");
        return 2;
    }
    if (rest.isEmpty()) {
        std::fprintf(stderr, "%s%s", kUsage, qPrintable(cli::commandSummary()));
        return 2;
    }

    CliDialogs dialogs(answer == "yes"_L1);
    UserDialogs::setInstance(&dialogs);
    // Bookings changed here are the command line's in their history (a reload inside says its own).
    const bookinghistory::SourceScope source(bookinghistory::Source::CommandLine);
    const int status = cli::run(rest.first(), rest.mid(1), dialogs);
    UserDialogs::setInstance(nullptr);
    return status;
}
