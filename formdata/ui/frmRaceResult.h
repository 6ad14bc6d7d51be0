#pragma once

#include "formdata/RaceResult.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// One past race: meeting and race header and the finishing order, the runner the agent came
// from in bold.
class frmRaceResult final : public QDialog
{
    Q_OBJECT
public:
    explicit frmRaceResult(QWidget *parent = nullptr);

    // Fills the window from a fetched result.
    void fill(const raceresult::Result &result);
    QLineEdit *txtMeetDesc = nullptr;
    QLineEdit *txtMeetType = nullptr;
    QLineEdit *txtMeetState = nullptr;
    QLineEdit *txtRaceDesc = nullptr;
    QLineEdit *txtRaceClass = nullptr;
    QLineEdit *txtSec = nullptr;
    QLineEdit *txtCond = nullptr;
    QLineEdit *txtLimWeight = nullptr;
    QLineEdit *txtValue = nullptr;
    QLabel *lblDescription = nullptr;
    QTableWidget *grdResults = nullptr;
    QPushButton *cmdExit = nullptr;

protected:
    void done(int result) override;

private:
    // A header click: sorts by the column (from 1), ascending first, then the other way.
    void sortByColumn(int column);

private:
    QList<bool> m_descendingNext;
};
