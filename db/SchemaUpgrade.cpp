#include "SchemaUpgrade.h"

#include "Database.h"
#include "Schema.h"

#include "core/Version.h"
#include "core/cAppSettings.h"

namespace {

bool below(float threshold)
{
    return cAppSettings::instance().AppVersion < threshold;
}

template <typename Step>
void ignoringErrors(Step step)
{
    try {
        step();
    } catch (const DbError &) {
    }
}

} // namespace

void UpgradeSchema()
{
    {
        Db db = OpenDb(); // fails early, before any step, when the file cannot be opened
    }
    if (below(2.56f)) {
        AddOrAlterColumn(QStringLiteral("Jockey"), QStringLiteral("InvoicePeriod"), QStringLiteral("Text(2)"));
        AddOrAlterColumn(QStringLiteral("Jockey"), QStringLiteral("LastInvoiceDate"), QStringLiteral("Date"));
    }
    if (below(2.62f))
        AddOrAlterColumn(QStringLiteral("Noms"), QStringLiteral("LastMargin"), QStringLiteral("Single"));
    if (below(2.63f))
        AddOrAlterColumn(QStringLiteral("Noms"), QStringLiteral("WgtRat"), QStringLiteral("Single"));
    if (below(2.64f))
        AddOrAlterColumn(QStringLiteral("Noms"), QStringLiteral("AvgWin"), QStringLiteral("Single"));
    if (below(2.66f)) {
        AddOrAlterColumn(QStringLiteral("Noms"), QStringLiteral("FormTrainer"), QStringLiteral("Text(24)"));
        ignoringErrors([] {
            Db db = OpenDb();
            db.exec(QStringLiteral("CREATE INDEX ByTrainer ON RaceStats (TrainerName, RaceDate DESC)"));
        });
    }
    // 2.617 is numerically below 2.62..2.66 yet checked last, as a number like the others.
    if (below(2.617f)) {
        ignoringErrors([] { AddOrAlterColumn(QStringLiteral("Noms"), QStringLiteral("W800400"), QStringLiteral("Text(5)")); });
        ignoringErrors([] { AddOrAlterColumn(QStringLiteral("Noms"), QStringLiteral("RSecTime"), QStringLiteral("Single")); });
    }
    // Files of older versions compare names with case; every query expects them not to.
    ignoringErrors([] { makeColumnsCaseBlind(schema::caseBlindColumns()); });
    // Indexes the lists rely on for speed, which files made by older versions lack; cheap when present.
    for (const QString &statement : schema::createStatements()) {
        if (!statement.startsWith(QLatin1String("CREATE INDEX ")) || statement.contains(QLatin1String(" ByTrainer ")))
            continue;
        QString ifMissing = statement;
        ifMissing.insert(int(qstrlen("CREATE INDEX ")), QStringLiteral("IF NOT EXISTS "));
        ignoringErrors([&ifMissing] { OpenDb().exec(ifMissing); });
    }
    cAppSettings::instance().AppVersion = version::asNumber();
    cAppSettings::instance().SaveSettings();
}
