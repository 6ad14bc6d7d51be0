#pragma once

#include "TableGridDialog.h"

class QListWidget;

// The booking-rate editor: the fee per ride by state, race type and date effective, with the
// race-type picker over the Race Type cells.
class frmBookRate final : public TableGridDialog
{
    Q_OBJECT
public:
    explicit frmBookRate(QWidget *parent = nullptr);

    QListWidget *lstType = nullptr;

private:
    // Places the picker just under the Race Type cell of `row` and shows it.
    void showTypeList(int row);
    // Puts the picked letter into that cell and hides the picker.
    void pickType(const QString &letter);

    int m_typeRow = -1;
};
