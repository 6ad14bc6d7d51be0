#include "frmSelJockey.h"

#include "core/UserDialogs.h"
#include "core/ui/BusyPointer.h"
#include "formdata/RemoteQuery.h"
#include "people/JockeySearch.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

frmSelJockey::frmSelJockey(QLineEdit *jockeyField, QWidget *parent) : QDialog(parent), m_jockeyField(jockeyField)
{
    setObjectName(u"frmSelJockey"_s);
    setWindowTitle(u"Select a Jockey"_s);
    grdSelJockey = new QTableWidget(0, 1, this);
    grdSelJockey->setObjectName(u"grdSelJockey"_s);
    grdSelJockey->setHorizontalHeaderLabels({u"Jockey"_s});
    grdSelJockey->horizontalHeader()->setStretchLastSection(true);
    grdSelJockey->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSelJockey->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(u"buttons"_s);
    cmdOK = buttons->button(QDialogButtonBox::Ok);
    cmdOK->setObjectName(u"cmdOK"_s);
    cmdOK->setDefault(true);
    cmdCancel = buttons->button(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName(u"cmdCancel"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grdSelJockey);
    layout->addWidget(buttons);
    connect(grdSelJockey, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { chooseRow(row); });
    // OK and Enter take the highlighted name; Cancel and Escape leave the editor's field as it was.
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { chooseRow(grdSelJockey->currentRow()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(300, 360);
}

bool frmSelJockey::load()
{
    jockeysearch::SearchResult result;
    {
        BusyPointer busy;
        result = jockeysearch::searchJockeys(m_jockeyField->text());
    }
    switch (result.kind) {
    case jockeysearch::SearchResult::ConnectionError:
        UserDialogs::instance().critical(QLatin1String(kConnectionErrorTitle), u"Connection error"_s);
        return false;
    case jockeysearch::SearchResult::ErrorShown:
        return false;
    case jockeysearch::SearchResult::NoneFound:
        UserDialogs::instance().message(u"Error"_s, u"No Jockey Found with Surname"_s, UserDialogs::Icon::Critical);
        return false;
    case jockeysearch::SearchResult::Names:
        break;
    }
    grdSelJockey->setUpdatesEnabled(false);
    grdSelJockey->setRowCount(int(result.names.size()));
    for (int i = 0; i < result.names.size(); ++i)
        grdSelJockey->setItem(i, 0, new QTableWidgetItem(result.names.at(i)));
    grdSelJockey->setUpdatesEnabled(true);
    grdSelJockey->setCurrentCell(0, 0);
    grdSelJockey->setFocus();
    return true;
}

void frmSelJockey::chooseRow(int row)
{
    if (row < 0 || row >= grdSelJockey->rowCount())
        return;
    m_jockeyField->setText(grdSelJockey->item(row, 0)->text());
    accept();
}
