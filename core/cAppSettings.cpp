#include "cAppSettings.h"

#include "UserDialogs.h"
#include "cRegistry.h"

#include <QLocale>
#include <QSet>

#include <algorithm>

#include <charconv>
#include <cmath>
#include <variant>

using namespace Qt::Literals::StringLiterals;

namespace {

using Field = std::variant<QString cAppSettings::*, qint32 cAppSettings::*, float cAppSettings::*, bool cAppSettings::*,
                           Currency cAppSettings::*>;

struct Entry {
    const char *storedName;
    Field field;
};

#define TEXT(name)                                                                                                     \
    Entry                                                                                                              \
    {                                                                                                                  \
#name, &cAppSettings::name                                                                                     \
    }
#define NUM(name)                                                                                                      \
    Entry                                                                                                              \
    {                                                                                                                  \
#name, &cAppSettings::name                                                                                     \
    }

// Load order. Save order differs in two places (see saveOrder()).
const Entry kLoadOrder[] = {
    TEXT(DBPath), TEXT(DataServer), TEXT(AddDataPath), TEXT(BackupPath), TEXT(DebugPath), TEXT(MainTrainerSortKey),
    TEXT(StatHorseSortKey), TEXT(StatTrainerSortKey), TEXT(StatJockeySortKey), TEXT(MainTrainerOrder),
    TEXT(MainTrainerWidth), TEXT(MainNomsOrder), TEXT(MainNomsWidth), NUM(MainLeft), NUM(MainTop), NUM(MainHeight),
    NUM(MainWidth), NUM(MainMax), TEXT(RaceRaceOrder), TEXT(RaceRaceWidth), NUM(RaceLeft), NUM(RaceTop),
    NUM(RaceHeight), NUM(RaceWidth), NUM(RaceMax), TEXT(RaceResultsGridOrder), TEXT(RaceResultsGridWidth),
    NUM(RaceResultsLeft), NUM(RaceResultsTop), NUM(RaceResultsHeight), NUM(RaceResultsWidth), NUM(RaceResultsMax),
    TEXT(StatHorseOrder), TEXT(StatHorseWidth), NUM(FrmHorseLeft), NUM(FrmHorseTop), NUM(FrmHorseHeight),
    NUM(FrmHorseWidth), NUM(FrmHorseMax), TEXT(StatJockeyOrder), TEXT(StatJockeyWidth), NUM(FrmJockeyLeft),
    NUM(FrmJockeyTop), NUM(FrmJockeyHeight), NUM(FrmJockeyWidth), NUM(FrmJockeyMax), TEXT(StatTrainerOrder),
    TEXT(StatTrainerWidth), NUM(FrmTrainerLeft), NUM(FrmTrainerTop), NUM(FrmTrainerHeight), NUM(FrmTrainerWidth),
    NUM(FrmTrainerMax), NUM(AppVersion), Entry{"Upgraded", &cAppSettings::AlreadyUpgraded}, TEXT(DefaultState),
    TEXT(ABN), NUM(ApplyGST), TEXT(UserName), TEXT(UserPass), NUM(NextInvoiceNumber),
    Entry{"CompanyName", &cAppSettings::Companyname}, NUM(AlwCalcWeights), TEXT(ExtChgText1), TEXT(ExtChgText2),
    NUM(ExtChgVal1), NUM(ExtChgVal2),
    // Our own additions come last so that the original values keep their order.
    TEXT(RacingHost), TEXT(WaClubHost), TEXT(RatingHost), TEXT(RegistrationHost), TEXT(PreviousInstallPath),
    TEXT(DataServerCaFile), TEXT(MainSplitSizes), TEXT(RaceSplitSizes), TEXT(RaceListSizes)};

#undef TEXT
#undef NUM

QList<const Entry *> saveOrder()
{
    QList<const Entry *> order;
    for (const Entry &entry : kLoadOrder)
        order << &entry;
    auto indexOf = [&order](const char *name) {
        for (qsizetype i = 0; i < order.size(); ++i)
            if (qstrcmp(order.at(i)->storedName, name) == 0)
                return i;
        Q_UNREACHABLE();
        return qsizetype(-1);
    };
    // DebugPath is written before BackupPath.
    order.swapItemsAt(indexOf("BackupPath"), indexOf("DebugPath"));
    // After DefaultState: ApplyGST, NextInvoiceNumber, CompanyName, ABN, UserName, UserPass.
    const char *block[] = {"ApplyGST", "NextInvoiceNumber", "CompanyName", "ABN", "UserName", "UserPass"};
    QList<const Entry *> moved;
    for (const char *name : block)
        moved << order.takeAt(indexOf(name));
    qsizetype at = indexOf("DefaultState") + 1;
    for (const Entry *entry : moved)
        order.insert(at++, entry);
    return order;
}

QString normalisedNumber(QString text)
{
    text = text.trimmed();
    const QString localePoint = QLocale().decimalPoint();
    if (localePoint != "."_L1)
        text.replace(localePoint, u"."_s);
    return text;
}

// Conversions of stored text to a field's type; false when the text cannot be converted.
bool convert(const QVariant &stored, QString &out)
{
    out = stored.toString();
    return true;
}

bool convert(const QVariant &stored, double &out)
{
    const QString text = normalisedNumber(stored.toString());
    if (text.isEmpty()) {
        out = 0;
        return true;
    }
    bool ok = false;
    out = text.toDouble(&ok);
    return ok;
}

bool convert(const QVariant &stored, qint32 &out)
{
    double number = 0;
    if (!convert(stored, number) || number > 2147483647.0 || number < -2147483648.0)
        return false;
    out = qint32(qRound64(number));
    return true;
}

bool convert(const QVariant &stored, float &out)
{
    double number = 0;
    if (!convert(stored, number))
        return false;
    out = float(number);
    return true;
}

bool convert(const QVariant &stored, bool &out)
{
    const QString text = stored.toString().trimmed();
    if (text.isEmpty() || text.compare("False"_L1, Qt::CaseInsensitive) == 0) {
        out = false;
        return true;
    }
    if (text.compare("True"_L1, Qt::CaseInsensitive) == 0) {
        out = true;
        return true;
    }
    double number = 0;
    if (!convert(stored, number))
        return false;
    out = number != 0;
    return true;
}

// Amounts are whole cents, stored as dollars with two decimals ("12.50"), so that an amount an
// earlier version stored in whole dollars ("13") reads as it was meant.
bool convert(const QVariant &stored, Currency &out)
{
    double dollars = 0;
    if (!convert(stored, dollars) || std::abs(dollars) > 1e13)
        return false;
    out = Currency::cents(qRound64(dollars * 100));
    return true;
}

QString toStoredText(const QString &value)
{
    return value;
}
QString toStoredText(Currency value)
{
    // A point whatever the locale: the amount reads back under any of them.
    const qint64 cents = value.wholeCents();
    const qint64 magnitude = cents < 0 ? -cents : cents;
    return QString::fromLatin1(cents < 0 ? "-" : "") + QString::number(magnitude / 100) + u'.' +
           QString::number(magnitude % 100).rightJustified(2, u'0');
}
QString toStoredText(qint32 value)
{
    return QString::number(value);
}
QString toStoredText(bool value)
{
    return value ? u"True"_s : u"False"_s;
}
QString toStoredText(float value)
{
    // Shortest text that reads back as the same float: 2.617 stays "2.617".
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    const QString localePoint = QLocale().decimalPoint();
    if (localePoint != "."_L1)
        text.replace(u'.', localePoint);
    return text;
}

void prepare(cRegistry &registry)
{
    registry.setClassKey(cRegistry::HKEY_CURRENT_USER);
    registry.setSectionKey(cAppSettings::kSectionKey);
    registry.setValueType(cRegistry::REG_SZ);
}

// Names each unreadable stored value to the agent once per run, however often the settings load.
void tellUnreadable(const QStringList &unreadable)
{
    static QSet<QString> told;
    QStringList untold;
    for (const QString &value : unreadable) {
        if (!told.contains(value)) {
            told.insert(value);
            untold << value;
        }
    }
    if (untold.isEmpty())
        return;
    UserDialogs::instance().message(
        u"Settings Error"_s,
        u"These stored settings cannot be read and were left out; the others were loaded:\n"_s + untold.join(u'\n') +
            u"\nEach keeps its stored text until it is set again."_s,
        UserDialogs::Icon::Exclamation);
}

} // namespace

cAppSettings &cAppSettings::instance()
{
    static cAppSettings settings;
    return settings;
}

QString cAppSettings::defaultPreviousInstallPath()
{
#ifdef Q_OS_WIN
    return u"C:\\Program Files\\Ostrevan\\"_s;
#else
    return u"/opt/ostrevan/"_s;
#endif
}

QString cAppSettings::effectiveDefaultState() const
{
    const QString state = DefaultState.trimmed();
    return state.isEmpty() ? u"VIC"_s : state;
}

void cAppSettings::applyOwnDefaults()
{
    // Our own host settings are never left empty, so a fresh store works out of the box.
    if (RacingHost.isEmpty())
        RacingHost = kDefaultRacingHost;
    if (WaClubHost.isEmpty())
        WaClubHost = kDefaultWaClubHost;
    if (RatingHost.isEmpty())
        RatingHost = kDefaultRatingHost;
    if (RegistrationHost.isEmpty())
        RegistrationHost = kDefaultRegistrationHost;
    if (PreviousInstallPath.isEmpty())
        PreviousInstallPath = defaultPreviousInstallPath();
}

bool cAppSettings::isStored()
{
    return cRegistry::holdsValues(kSectionKey);
}

bool cAppSettings::LoadSettings()
{
    cRegistry registry;
    prepare(registry);
    m_unread.clear();
    QStringList unreadable;
    for (const Entry &entry : kLoadOrder) {
        registry.setValueKey(QLatin1String(entry.storedName));
        const QVariant stored = registry.value();
        const bool ok = std::visit(
            [this, &stored](auto member) {
                auto converted = this->*member;
                if (!convert(stored, converted))
                    return false;
                this->*member = converted;
                return true;
            },
            entry.field);
        if (!ok) {
            // One value written by hand or under another locale must not cost the others.
            const QString name = QLatin1String(entry.storedName);
            m_unread.append({name, *textOf(name)});
            unreadable << name + u"=\""_s + stored.toString() + u'"';
        }
        if (qstrcmp(entry.storedName, "DataServer") == 0 && DataServer.isEmpty())
            DataServer = kDefaultDataServer;
    }
    applyOwnDefaults();
    tellUnreadable(unreadable);
    return m_unread.isEmpty();
}

bool cAppSettings::wasRead(const QString &storedName) const
{
    return std::none_of(m_unread.cbegin(), m_unread.cend(),
                        [&storedName](const UnreadValue &unread) { return unread.storedName == storedName; });
}

bool cAppSettings::SaveSettings()
{
    cRegistry registry;
    prepare(registry);
    try {
        for (const Entry *entry : saveOrder()) {
            const QString name = QLatin1String(entry->storedName);
            const QString text = *textOf(name);
            const auto unread = std::find_if(m_unread.begin(), m_unread.end(),
                                             [&name](const UnreadValue &value) { return value.storedName == name; });
            // A value the load could not read keeps its stored text until its field is given a value.
            if (unread != m_unread.end()) {
                if (unread->fieldText == text)
                    continue;
                m_unread.erase(unread);
            }
            registry.setValueKey(name);
            // Only what changed is written: a save with nothing new leaves the file alone instead of
            // rewriting and syncing it (the start-up saves every time).
            if (const QVariant stored = registry.value(); stored.isValid() && stored.toString() == text)
                continue;
            registry.setValue(text);
        }
        registry.flush();
    } catch (const RegistryError &) {
        return false;
    }
    return true;
}

namespace {
const Entry *entryNamed(const QString &storedName)
{
    for (const Entry &entry : kLoadOrder)
        if (storedName == QLatin1String(entry.storedName))
            return &entry;
    return nullptr;
}
} // namespace

std::optional<QString> cAppSettings::textOf(const QString &storedName) const
{
    const Entry *entry = entryNamed(storedName);
    if (!entry)
        return std::nullopt;
    return std::visit([this](auto member) { return toStoredText(this->*member); }, entry->field);
}

bool cAppSettings::setFromText(const QString &storedName, const QString &text)
{
    const Entry *entry = entryNamed(storedName);
    if (!entry)
        return false;
    return std::visit(
        [this, &text](auto member) {
            auto converted = this->*member;
            if (!convert(QVariant(text), converted))
                return false;
            this->*member = converted;
            return true;
        },
        entry->field);
}
