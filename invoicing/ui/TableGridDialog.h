#pragma once

#include "invoicing/BookRates.h"

#include <QDialog>

class GridTableModel;
class QLabel;
class QTableView;

// A window with a note over an editable grid of one table. A row is stored when the agent
// leaves it, presses Enter on its last cell or closes the window; a row the table cannot take is named in a message and
// the agent is taken back to it, so nothing typed is lost.
class TableGridDialog : public QDialog
{
    Q_OBJECT
public:
    // Reads the table; false after a message when the database cannot be read.
    bool load();

    GridTableModel *model() const { return m_model; }
    QTableView *grid() const { return m_grid; }

    // Closing (Escape, the close button) stores every changed row first; for a row that cannot
    // be stored the agent is asked whether to abandon its changes, else the window stays open
    // on that row.
    void done(int result) override;

protected:
    TableGridDialog(const ratetables::GridTable &table, const QString &gridName, const QString &caption,
                    const QString &note, QWidget *parent);

private:
    // Deletes the current row after asking (the Delete key).
    void deleteCurrentRow();
    void rowLeft(const QModelIndex &current, const QModelIndex &previous);
    bool commitRow(int row);
    bool storeRow(int row, ratetables::CellError *why);
    void returnTo(int row, int column);
    void enterOnCell(const QModelIndex &cell);

    GridTableModel *m_model;
    QTableView *m_grid;
    bool m_returning = false;
};
