#include "TableGridDialog.h"

#include "GridTableModel.h"

#include "core/UserDialogs.h"
#include "db/Database.h"
#include "db/DbGuard.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

TableGridDialog::TableGridDialog(const ratetables::GridTable &table, const QString &gridName, const QString &caption,
                                 const QString &note, QWidget *parent)
    : QDialog(parent), m_model(new GridTableModel(table, this)), m_grid(new QTableView(this))
{
    setWindowTitle(caption);
    m_grid->setObjectName(gridName);
    m_grid->setModel(m_model);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    auto *label = new QLabel(note, this);
    label->setObjectName(u"lblNote"_s);
    label->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_grid, 1);
    layout->addWidget(label);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, &TableGridDialog::rowLeft);
    // Enter on the last cell stores the row too: the new-entry line of an empty table has no
    // other row to leave to.
    connect(m_grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget *, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::SubmitModelCache)
                    enterOnCell(m_grid->currentIndex());
            });
    connect(m_grid, &QAbstractItemView::activated, this, &TableGridDialog::enterOnCell);
    auto *remove = new QShortcut(QKeySequence::Delete, m_grid, nullptr, nullptr, Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &TableGridDialog::deleteCurrentRow);
    resize(520, 420);
}

bool TableGridDialog::load()
{
    if (!runGuarded([&] { m_model->reload(); }))
        return false;
    return true;
}

bool TableGridDialog::storeRow(int row, ratetables::CellError *why)
{
    try {
        return m_model->commitRow(row, why);
    } catch (const DbError &error) {
        why->message = error.message();
    }
    return false;
}

void TableGridDialog::returnTo(int row, int column)
{
    m_returning = true;
    m_grid->setCurrentIndex(m_model->index(row, column));
    m_returning = false;
}

bool TableGridDialog::commitRow(int row)
{
    ratetables::CellError why{0, {}};
    if (storeRow(row, &why))
        return true;
    UserDialogs::instance().message(windowTitle(), why.message, UserDialogs::Icon::Exclamation);
    returnTo(row, why.column);
    return false;
}

void TableGridDialog::rowLeft(const QModelIndex &current, const QModelIndex &previous)
{
    if (m_returning || !previous.isValid() || current.row() == previous.row())
        return;
    const int row = previous.row();
    // Back to the row that could not be stored once the view has finished moving.
    if (m_model->isDirty(row))
        QTimer::singleShot(0, this, [this, row] { commitRow(row); });
}

void TableGridDialog::enterOnCell(const QModelIndex &cell)
{
    if (!cell.isValid() || cell.column() != m_model->columnCount() - 1 || !m_model->isDirty(cell.row()))
        return;
    const int row = cell.row();
    QTimer::singleShot(0, this, [this, row] {
        if (m_model->isDirty(row))
            commitRow(row);
    });
}

void TableGridDialog::deleteCurrentRow()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    if (!UserDialogs::instance().askYesNo(windowTitle(),
                                          u"Delete this row (%1)?"_s.arg(m_model->rowLabel(current.row())),
                                          UserDialogs::Icon::Question, UserDialogs::Answer::No))
        return;
    runGuarded([&] { m_model->removeRow(current.row()); });
}

void TableGridDialog::done(int result)
{
    if (QWidget *focus = focusWidget())
        focus->clearFocus(); // closes a cell editor, committing its text
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (!m_model->isDirty(row))
            continue;
        ratetables::CellError why{0, {}};
        if (storeRow(row, &why))
            continue;
        // A row the table cannot take may be given up, so that the window can still be left.
        const QString question =
            why.message + u"\r\rAbandon the changes to this row (%1)?"_s.arg(m_model->rowLabel(row));
        if (!UserDialogs::instance().askYesNo(windowTitle(), question, UserDialogs::Icon::Question,
                                              UserDialogs::Answer::No)) {
            returnTo(row, why.column);
            return;
        }
        m_model->revertRow(row);
    }
    QDialog::done(result);
}
