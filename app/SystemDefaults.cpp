#include "SystemDefaults.h"

#include "core/PasswordStore.h"
#include "core/Paths.h"
#include "core/QueryCredentials.h"
#include "core/cAppSettings.h"
#include "db/Database.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace systemdefaults {

Values current()
{
    const cAppSettings &s = cAppSettings::instance();
    Values v;
    v.dbPath = s.DBPath;
    v.dataServer = s.DataServer;
    v.userName = s.UserName;
    v.password = QueryCredentials::current().password;
    v.companyName = s.Companyname;
    v.abn = s.ABN.isEmpty() ? kEmptyAbn : s.ABN;
    v.gst = s.ApplyGST;
    v.nextInvoiceNumber = QString::number(double(s.NextInvoiceNumber), 'g', 9);
    v.state = s.effectiveDefaultState();
    v.calculateWeights = s.AlwCalcWeights;
    v.backupPath = s.BackupPath;
    return v;
}

QStringList stateChoices(const QString &current)
{
    QStringList states(std::cbegin(kStates), std::cend(kStates));
    if (!current.trimmed().isEmpty() && !states.contains(current.trimmed()))
        states << current.trimmed();
    return states;
}

QString abnDigits(const QString &maskedText)
{
    QString digits;
    for (const QChar c : maskedText) {
        if (c.isDigit())
            digits += c;
    }
    return digits;
}

bool abnChecksumValid(const QString &digits)
{
    static constexpr int kWeights[] = {10, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19};
    if (digits.size() != 11)
        return false;
    int sum = 0;
    for (int i = 0; i < 11; ++i) {
        const int digit = digits.at(i).digitValue() - (i == 0 ? 1 : 0);
        sum += digit * kWeights[i];
    }
    return sum % 89 == 0;
}

std::optional<Problem> check(const Values &values)
{
    const QString title = u"Settings Error"_s;
    const QString digits = abnDigits(values.abn);
    if (values.gst && digits.isEmpty())
        return Problem{Field::Abn, title, u"If GST then ABN must be entered"_s};
    if (!digits.isEmpty() && digits.size() != 11)
        return Problem{Field::Abn, title, u"The A. B. N. must have 11 digits."_s};
    if (!digits.isEmpty() && !abnChecksumValid(digits))
        return Problem{Field::Abn, title,
                       u"%1 is not a valid A. B. N.: its check digits do not add up."_s.arg(values.abn)};
    bool whole = false;
    const qlonglong number = values.nextInvoiceNumber.trimmed().toLongLong(&whole);
    // The setting is a single-precision float: beyond 2^24 whole numbers are no longer exact.
    if (!whole || number < 0 || number > (1 << 24))
        return Problem{Field::NextInvoiceNumber, title, u"Next Invoice Number must be a whole number."_s};
    if (values.dataServer.trimmed().isEmpty())
        return Problem{Field::DataServer, title, u"Enter the data server (host:port)."_s};
    return std::nullopt;
}

bool databaseMissing(const QString &dbPath)
{
    return !QFileInfo::exists(databaseFileIn(dbPath.trimmed()));
}

QString missingDatabaseQuestion(const QString &dbPath)
{
    return u"There is no database %1 in %2. Store this Database Path anyway?"_s.arg(
        kDatabaseFileName, QDir::toNativeSeparators(dbPath.trimmed()));
}

QString browseStartFile(const QString &typedFolder)
{
    const QString typed = QDir(typedFolder.trimmed()).filePath(kDatabaseFileName);
    if (!typedFolder.trimmed().isEmpty() && QFileInfo::exists(typed))
        return typed;
    return QDir(programFolder()).filePath(kDatabaseFileName);
}

QString folderOfChosenFile(const QString &path)
{
    const QString native = QDir::fromNativeSeparators(path);
    return QDir::toNativeSeparators(native.left(native.lastIndexOf(u'/')));
}

void apply(const Values &values)
{
    cAppSettings &s = cAppSettings::instance();
    s.DefaultState = values.state;
    s.AlwCalcWeights = values.calculateWeights;
    s.ABN = values.abn;
    s.ApplyGST = values.gst;
    s.Companyname = values.companyName;
    s.NextInvoiceNumber = float(values.nextInvoiceNumber.trimmed().toLongLong());
    s.DBPath = values.dbPath.trimmed();
    s.BackupPath = values.backupPath.trimmed();
    s.DataServer = values.dataServer.trimmed();
    s.UserName = values.userName;
    QueryCredentials::current().userName = values.userName;
    passwordstore::storePassword(values.password);
    s.SaveSettings();
}

} // namespace systemdefaults
