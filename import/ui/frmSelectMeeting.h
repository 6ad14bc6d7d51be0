#pragma once

#include "import/WebFieldPages.h"

#include <QDialog>

using namespace Qt::Literals::StringLiterals;

class QCheckBox;
class QComboBox;
class QPushButton;
class QTableWidget;

// "Select Meetings": the meetings of a state as the racing web sites list them, with the phase
// each has reached; the selected ones are downloaded into the local meeting tables.
class frmSelectMeeting : public QDialog
{
    Q_OBJECT
public:
    explicit frmSelectMeeting(QWidget *parent = nullptr);

    // Opens modally on the DefaultState setting ("VIC" when empty) and the remembered source switch;
    // gives a line saying what was downloaded (empty when nothing was).
    static QString OpenSelect(QWidget *parent);

    // The "Use other source for Noms" choice, kept for the program's run.
    static bool &otherSourceFlag();

    void setState(const QString &state);  // counts as choosing it: the list is refreshed
    QList<CalendarEntry> entries() const; // the grid's rows, in their shown order

    QComboBox *cmbState;
    QCheckBox *chkShowPhase;
    QCheckBox *chkSwitch;
    QPushButton *cmdRefresh;
    QPushButton *cmdDownload;
    QTableWidget *grdMeeting;

    static inline const QString kHelpText =
        u"Use the Mouse to select Meetings to be downloaded. Hold Down the shift Key to select a Range of meetings, "
        "Ust the Ctrl Key to Select Multiple Meetings"_s;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void download();
    void setBusy(bool busy);
    void sortOn(int column);
    bool m_busy = false;
    QString m_statusLine;
};
