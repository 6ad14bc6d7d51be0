#pragma once

#include "bookings/FieldChangeLog.h"

#include <QDialog>
#include <QHash>
#include <QList>

using namespace Qt::Literals::StringLiterals;

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "Changes": what reloads of fields changed on the agent's rides, grouped by meeting and race,
// booked horses first. Not modal: the agent reads it beside the main window. Removing a booking
// is the one step that deletes, and it asks once for the chosen rows; keeping marks them seen.
class FrmChanges final : public QDialog
{
    Q_OBJECT
public:
    // Reads the database named by the settings; shows the unseen changes.
    explicit FrmChanges(QWidget *parent = nullptr);

    // The program's one window, opened or raised: on one load's changes, or on the unseen ones.
    static FrmChanges *showLoad(QWidget *parent, const QList<qint64> &ids);
    static FrmChanges *showUnseen(QWidget *parent);

    // Lists one load's changes ("This load" in cmbShow).
    void setLoad(const QList<qint64> &ids);
    void reload();

    QList<qint64> selectedIds() const;

    QComboBox *cmbShow = nullptr;
    QComboBox *cmbMeeting = nullptr;
    QComboBox *cmbJockey = nullptr;
    QComboBox *cmbKind = nullptr;
    QTreeWidget *tvwChanges = nullptr;
    QLabel *lblCount = nullptr;
    QPushButton *cmdRemoveBooking = nullptr;
    QPushButton *cmdKeep = nullptr;
    QPushButton *cmdRaceWindow = nullptr;
    QPushButton *cmdClose = nullptr;

    static inline const QString kTitle = u"Changes"_s;

signals:
    // Changes were marked seen or bookings removed: counts and lists elsewhere are out of date.
    void changesReviewed();
    void bookingsChanged();

private:
    // The gestures on the chosen rows (a race's row stands for its changes).
    void removeBookings();
    void keep();
    void openRaceWindow();
    enum class Show { ThisLoad, Unseen, Days3, Days7, Kept };

    void buildWidgets();
    void fillFilters();
    fieldchangelog::Filter currentFilter() const;
    QList<fieldchangelog::StoredChange> selectedChanges() const;
    const fieldchangelog::StoredChange *changeOf(const QTreeWidgetItem *item) const;
    void updateButtons();

    QList<qint64> m_load;
    QList<fieldchangelog::StoredChange> m_shown;
    QHash<qint64, qsizetype> m_shownOrder; // change id -> position in m_shown
};
