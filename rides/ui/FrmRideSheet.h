#pragma once

#include "rides/RideSheet.h"

#include <QDialog>

using namespace Qt::Literals::StringLiterals;

class QComboBox;
class QDateEdit;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTableView;

// "Rides for the Day": one managed jockey's booked rides (or every jockey's) across all meetings
// of a day, in start order, with what needs a word; printed as one ride sheet per jockey, saved as
// PDF or as a calendar file, or copied as a message.
class FrmRideSheet final : public QDialog
{
    Q_OBJECT
public:
    // An empty jockey shows every managed jockey; the date starts at the next day with rides.
    explicit FrmRideSheet(const QString &jockey = QString(), QWidget *parent = nullptr);

    // The program's one such window, opened or raised on the jockey.
    static FrmRideSheet *showFor(QWidget *parent, const QString &jockey);

    void reload();

    const QList<Ride> &rides() const { return m_rides; }
    QString chosenJockey() const; // empty for all

    QComboBox *cmbJockey = nullptr;
    QDateEdit *dtpDate = nullptr;
    QSpinBox *spnDays = nullptr;
    QTableView *grdRides = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdPdf = nullptr;
    QPushButton *cmdCalendar = nullptr;
    QPushButton *cmdCopy = nullptr;
    QPushButton *cmdClose = nullptr;

    static inline const QString kTitle = u"Rides for the Day"_s;

private:
    // The buttons' handlers.
    void printSheets();
    void savePdf();
    void saveCalendar();
    void copyText();
    void buildWidgets();
    void chooseJockey(const QString &jockey);
    QString suggestedName(const QString &extension) const;
    // The save dialog for one of the sheet's files, named after the jockey and the date; empty when cancelled.
    QString askSavePath(const QString &title, const QString &filter, const QString &extension) const;

    QStandardItemModel *m_model = nullptr;
    QList<Ride> m_rides;
};
