#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTableWidget;

// The jockey picker: the data server's spellings of the names that hold the surname typed in
// the editor's name field; double-clicking one, or OK / Enter on the highlighted one, writes it back there.
class frmSelJockey final : public QDialog
{
    Q_OBJECT
public:
    frmSelJockey(QLineEdit *jockeyField, QWidget *parent = nullptr);

    // Runs the search and fills the grid; false (after its message) when there is nothing to pick.
    bool load();

    QTableWidget *grdSelJockey = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

private:
    // Writes the name of a grid row (from 0) into the editor's field and closes.
    void chooseRow(int row);

    QLineEdit *m_jockeyField;
};
