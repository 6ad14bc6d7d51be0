#pragma once

#include "Currency.h"

#include <QList>
#include <QString>

#include <optional>

using namespace Qt::Literals::StringLiterals;

// The per-user settings record: one program-wide instance whose fields the windows read and
// assign directly; LoadSettings/SaveSettings move the whole set to and from the store.
class cAppSettings
{
public:
    // The local data server that the run command starts; a stored empty value falls back to it.
    static inline const QString kDefaultDataServer = u"127.0.0.1:8421"_s;
    static inline const QString kSectionKey = u"Software\\Ostrevan\\AppSettings"_s;

    static cAppSettings &instance();

    // LoadSettings reads every value it can: one it cannot read is left out (its field keeps what
    // it had), named to the agent once per run, and returns false. SaveSettings returns false at
    // the first value that cannot be written.
    bool LoadSettings();
    bool SaveSettings();

    // Whether the last load read the stored value (an absent value counts as read). A value it
    // could not read keeps its stored text through saves until its field is assigned.
    bool wasRead(const QString &storedName) const;

    // Whether any settings were ever saved: false only before the program's very first start.
    static bool isStored();

    // Back to the state of a fresh record (empty texts, zeros, false).
    void reset() { *this = cAppSettings(); }

    QString DBPath;
    QString DataServer;
    QString AddDataPath;
    QString BackupPath;
    QString DebugPath;
    QString MainTrainerSortKey;
    QString StatHorseSortKey;
    QString StatTrainerSortKey;
    QString StatJockeySortKey;
    QString MainTrainerOrder;
    QString MainTrainerWidth;
    QString MainNomsOrder;
    QString MainNomsWidth;
    qint32 MainLeft = 0;
    qint32 MainTop = 0;
    qint32 MainHeight = 0;
    qint32 MainWidth = 0;
    bool MainMax = false;
    // Pane sizes of the main window's and the race window's splitters, as column widths are kept.
    QString MainSplitSizes;
    QString RaceSplitSizes;
    QString RaceListSizes;
    QString RaceRaceOrder;
    QString RaceRaceWidth;
    qint32 RaceLeft = 0;
    qint32 RaceTop = 0;
    qint32 RaceHeight = 0;
    qint32 RaceWidth = 0;
    bool RaceMax = false;
    QString RaceResultsGridOrder;
    QString RaceResultsGridWidth;
    qint32 RaceResultsLeft = 0;
    qint32 RaceResultsTop = 0;
    qint32 RaceResultsHeight = 0;
    qint32 RaceResultsWidth = 0;
    bool RaceResultsMax = false;
    QString StatHorseOrder;
    QString StatHorseWidth;
    qint32 FrmHorseLeft = 0;
    qint32 FrmHorseTop = 0;
    qint32 FrmHorseHeight = 0;
    qint32 FrmHorseWidth = 0;
    bool FrmHorseMax = false;
    QString StatJockeyOrder;
    QString StatJockeyWidth;
    qint32 FrmJockeyLeft = 0;
    qint32 FrmJockeyTop = 0;
    qint32 FrmJockeyHeight = 0;
    qint32 FrmJockeyWidth = 0;
    bool FrmJockeyMax = false;
    QString StatTrainerOrder;
    QString StatTrainerWidth;
    qint32 FrmTrainerLeft = 0;
    qint32 FrmTrainerTop = 0;
    qint32 FrmTrainerHeight = 0;
    qint32 FrmTrainerWidth = 0;
    bool FrmTrainerMax = false;
    float AppVersion = 0;
    bool AlreadyUpgraded = false;
    QString DefaultState;
    QString ABN;
    bool ApplyGST = false;
    QString UserName;
    QString UserPass;
    float NextInvoiceNumber = 0;
    QString Companyname;
    bool AlwCalcWeights = false;
    QString ExtChgText1;
    QString ExtChgText2;
    Currency ExtChgVal1;
    Currency ExtChgVal2;

    // Hosts of the racing web sites: host[:port] (reached by https://), or with a scheme (http://127.0.0.1:8080).
    QString RacingHost;
    QString WaClubHost;
    QString RatingHost;
    QString RegistrationHost;
    // Folder of a previous installation whose database the first start takes over.
    QString PreviousInstallPath;
    // A PEM file of certificates trusted for an https:// DataServer besides the system's; empty: none.
    QString DataServerCaFile;

    static inline const QString kDefaultRacingHost = u"www.racingaustralia.horse"_s;
    static inline const QString kDefaultWaClubHost = u"www.perthracing.org.au"_s;
    static inline const QString kDefaultRatingHost = u"www.racingvictoria.com.au"_s;
    static inline const QString kDefaultRegistrationHost = u"www.studbook.org.au"_s;
    static QString defaultPreviousInstallPath();

    // A field by its stored name as stored text ("True", "2.617"), and back; false for an
    // unknown name or a text the field's type cannot take.
    std::optional<QString> textOf(const QString &storedName) const;
    bool setFromText(const QString &storedName, const QString &text);

    // `DefaultState` as its readers take it: blank counts as "VIC".
    QString effectiveDefaultState() const;

private:
    void applyOwnDefaults();

    struct UnreadValue {
        QString storedName;
        QString fieldText; // the field's text after the load, to notice an assignment since
    };
    QList<UnreadValue> m_unread;
};
