#pragma once

#include "bookings/FieldChanges.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

using namespace Qt::Literals::StringLiterals;

// What became of one chosen field file.
struct FieldFileLoadResult {
    QString path;
    bool loaded = false;
    QString meetingCode;
    QString level;
    int races = 0;               // races stored
    int horses = 0;              // nominations stored
    int skippedLines = 0;        // records that could not be read and were left out
    int emptiedValues = 0;       // values that could not be read and were left empty
    fieldchanges::Count changes; // recorded for review, against the meeting's field it replaced
    QString error;               // the text shown when the file was not loaded
    QString leftOut;             // why the agent kept the meeting's later field, when the file was left out for it
};

// State and meeting type of a track from the data server.
struct TrackInfo {
    QString state;
    QString meetType;
};

// Loads field files into the database: each file replaces its meeting's races and nominations
// (bookings stay) in one transaction, so a file that fails leaves the meeting as it was.
// State and meeting type come from the data server; when it cannot be asked they stay as stored.
class FieldFileLoader
{
public:
    static inline const QString kDialogTitle = u"Select RSB Downloaded file to load data into Ostrevan"_s;
    static inline const QString kRefusedTitle = u"Invalid For Convert"_s;
    static inline const QString kRefusedText = u"File cannot be processed."_s;
    static inline const QString kSkippedTitle = u"Lines Skipped"_s;

    // The file dialog's filter list, pairs of shown text and patterns separated by "|".
    static QString fileFilter();

    // Loads one file: every record that can be read, in one transaction; the lines left out are
    // shown once afterwards. A refusal or failure has been shown (and its sound played) when this
    // returns. A failed track look-up is shown and the file loads all the same.
    static FieldFileLoadResult loadFile(const QString &path);
    // Told before each file (from 0) of how many; false stops the batch before that file.
    using Progress = std::function<bool(int index, int total, const QString &path)>;

    // Loads the files in stage order (fieldstages::batchOrder; a failed one does not stop the rest),
    // then plays the "loaded" sound and calls onListsChanged so that the meeting and trainer lists
    // are re-read. The results are in the order the files loaded.
    static QList<FieldFileLoadResult> loadFiles(const QStringList &paths, const std::function<void()> &onListsChanged,
                                                const Progress &progress = {});

    // One line on what a batch did: "Loaded 100 files: 1,234 horses, 3 lines skipped", then the files
    // left out (and why) and those not loaded.
    static QString loadSummary(const QList<FieldFileLoadResult> &results);

    // Track look-up on the data server; nullopt when it failed (an "Error:" answer has been shown).
    static std::optional<TrackInfo> lookUpTrack(const QString &trackCode);

private:
    struct Batch;
    static FieldFileLoadResult loadFile(const QString &path, Batch &batch);
};

// The "&Add Data" command: asks for field files (several may be chosen) starting in AddDataPath,
// remembers the folder when exactly one file was chosen, and loads them. Cancelling changes nothing
// and gives an empty list (onListsChanged is not called).
QList<FieldFileLoadResult> chooseAndLoadFieldFiles(const std::function<void()> &onListsChanged,
                                                   const FieldFileLoader::Progress &progress = {});
