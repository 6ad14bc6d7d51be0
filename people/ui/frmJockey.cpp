#include "frmJockey.h"

#include "frmSelJockey.h"

#include "core/Clock.h"
#include "core/UserDialogs.h"
#include "core/ui/BusyPointer.h"
#include "core/ui/DateBox.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "roster/StoredColor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kTitle = u"Jockey"_s;

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmJockey::frmJockey(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmJockey"_s);
    setWindowTitle(kTitle);
    buildWidgets();
}

void frmJockey::buildWidgets()
{
    auto *grid = new QGridLayout;
    const char *textLabels[] = {"Jockey:", "JockeyEmail:", "JockeyMobile:", "Select Jockey Highlight Colour",
                                "Full Name:"};
    int line = 0;
    for (int i = 0; i < 5; ++i, ++line) {
        txtFields[i] = new QLineEdit(this);
        txtFields[i]->setObjectName(u"txtFields(%1)"_s.arg(i));
        grid->addWidget(new QLabel(QLatin1String(textLabels[i]), this), line, 0);
        grid->addWidget(txtFields[i], line, 1);
    }
    txtFields[3]->setReadOnly(true);
    txtFields[3]->setFocusPolicy(Qt::NoFocus);
    txtFields[3]->setToolTip(u"Select Color sets the colour the jockey's bookings are highlighted in."_s);
    txtFields[4]->setToolTip(u"Full name as displayed by RISA at Acceptance time."_s);
    txtRidewgt = new QLineEdit(this);
    txtRidewgt->setObjectName(u"txtRidewgt"_s);
    txtRidewgt->setAlignment(Qt::AlignRight);
    txtRidewgt->setToolTip(u"The lightest weight the jockey rides at, in kilograms; a field that weights the "
                           "horse lighter is pointed out when it is loaded."_s);
    grid->addWidget(new QLabel(u"Riding Weight (kg):"_s, this), line, 0);
    grid->addWidget(txtRidewgt, line++, 1);
    cmdSeachJockey = button(this, "cmdSeachJockey", u"&Search"_s);
    cmdSeachJockey->setToolTip(u"Enter Jockey Surname Then Press this to Find Jockey"_s);
    grid->addWidget(cmdSeachJockey, 0, 2);
    cmdSelColor = button(this, "cmdSelColor", u"Select Color"_s);
    grid->addWidget(cmdSelColor, 3, 2);

    const char *amountLabels[] = {"Manager Rate (%):", "Booking Fee Per Ride:", "Scratchings Rate:", "Trials Rate:"};
    for (int i = 0; i < 4; ++i, ++line) {
        mebFields[i] = new QLineEdit(this);
        mebFields[i]->setObjectName(u"mebFields(%1)"_s.arg(i));
        mebFields[i]->setAlignment(Qt::AlignRight);
        grid->addWidget(new QLabel(QLatin1String(amountLabels[i]), this), line, 0);
        grid->addWidget(mebFields[i], line, 1);
        connect(mebFields[i], &QLineEdit::editingFinished, this, [this, i] { formatAmount(i); });
    }
    mebFields[0]->setToolTip(u"This is the percentage of the Jockeys winnings that the Ostrevan is Paid"_s);
    mebFields[1]->setToolTip(u"This is the amount the Ostrevan charges The Jockey for booking each ride."_s);

    vblcInvPer = new QComboBox(this);
    vblcInvPer->setObjectName(u"vblcInvPer"_s);
    vblcInvPer->addItems(jockeys::invoicePeriodTexts());
    grid->addWidget(new QLabel(u"Invoce Period:"_s, this), line, 0);
    grid->addWidget(vblcInvPer, line++, 1);
    dtpLast = new DateBox(u"Invoice to Last Date"_s, this);
    dtpLast->setObjectName(u"dtpLast"_s);
    grid->addWidget(new QLabel(u"Invoice to Last Date :"_s, this), line, 0);
    grid->addWidget(dtpLast, line++, 1);

    cmdAdd = button(this, "cmdAdd", u"&Add New"_s);
    cmdUpdate = button(this, "cmdUpdate", u"&Update"_s);
    cmdDelete = button(this, "cmdDelete", u"&Delete"_s);
    cmdClose = button(this, "cmdClose", u"&Close"_s);
    cmdPrevious = button(this, "cmdPrevious", u"< &Previous"_s);
    cmdNext = button(this, "cmdNext", u"&Next >"_s);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdPrevious, cmdNext, cmdAdd, cmdUpdate, cmdDelete, cmdClose})
        buttons->addWidget(b);

    // Tab follows the screen: down the left column, each button right after the box it acts on.
    // (Created order put Search and Select Color between Riding Weight and the fees.)
    QWidget *chain[] = {txtFields[0], cmdSeachJockey, txtFields[1], txtFields[2], cmdSelColor,
                        txtFields[4], txtRidewgt,     mebFields[0], mebFields[1], mebFields[2],
                        mebFields[3], vblcInvPer,     dtpLast,      cmdPrevious,  cmdNext,
                        cmdAdd,       cmdUpdate,      cmdDelete,    cmdClose};
    for (size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    m_grid = grid;
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(u"lblProblem"_s);
    lblProblem->setStyleSheet(u"color: red"_s);
    lblProblem->hide();
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);

    connect(cmdAdd, &QPushButton::clicked, this, &frmJockey::addNew);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmJockey::update);
    connect(cmdDelete, &QPushButton::clicked, this, &frmJockey::deleteCurrent);
    connect(cmdClose, &QPushButton::clicked, this, &frmJockey::closeOrCancel);
    connect(cmdNext, &QPushButton::clicked, this, &frmJockey::next);
    connect(cmdPrevious, &QPushButton::clicked, this, &frmJockey::previous);
    connect(cmdSelColor, &QPushButton::clicked, this, &frmJockey::selectColor);
    connect(cmdSeachJockey, &QPushButton::clicked, this, &frmJockey::searchJockey);
}

void frmJockey::OpenJockey(QWidget *parent, const QString &jockeyName)
{
    frmJockey window(parent);
    if (!runGuarded([&] { window.load(jockeyName); }))
        return;
    window.exec();
}

void frmJockey::load(const QString &jockeyName)
{
    m_filter = jockeyName;
    m_rows = jockeys::loadJockeys(jockeyName);
    m_position = m_rows.isEmpty() ? -1 : 0;
    SetEditMode(u"Edit"_s);
    ShowJockeyRecord();
}

bool frmJockey::adding() const
{
    return !cmdAdd->isEnabled();
}

void frmJockey::ShowJockeyRecord()
{
    lblProblem->hide();
    if (m_position < 0 || m_position >= m_rows.size()) {
        dtpLast->setDate(Clock::instance().today());
        rememberShownTexts();
        return;
    }
    const JockeyRecord &r = m_rows.at(m_position);
    const QString texts[] = {r.jockey, r.email, r.mobile, QString(), r.fullName};
    for (int i = 0; i < 5; ++i)
        txtFields[i]->setText(texts[i]);
    setColor(r.color);
    txtRidewgt->setText(jockeys::rideWeightText(r.rideWeight));
    mebFields[0]->setText(jockeys::rateText(r.managerRate));
    mebFields[1]->setText(jockeys::moneyText(r.bookFee));
    mebFields[2]->setText(jockeys::moneyText(r.scratchFee));
    mebFields[3]->setText(jockeys::moneyText(r.trialFee));
    vblcInvPer->setCurrentIndex(vblcInvPer->findText(jockeys::periodTextFor(r.invoicePeriod)));
    dtpLast->setDate(r.lastInvoiceDate.isValid() ? r.lastInvoiceDate : Clock::instance().today());
    rememberShownTexts();
}

void frmJockey::SetEditMode(const QString &mode)
{
    bool edit;
    if (mode == u"Add"_s)
        edit = false;
    else if (mode == u"Edit"_s)
        edit = true;
    else
        return;
    cmdClose->setText(edit ? u"&Close"_s : u"Cancel Update"_s);
    for (QPushButton *b : {cmdPrevious, cmdNext, cmdDelete, cmdAdd})
        b->setEnabled(edit);
}

void frmJockey::setColor(const QString &stored)
{
    m_color = stored;
    const QColor color = fromStoredColor(stored);
    QPalette palette = txtFields[3]->palette();
    palette.setColor(QPalette::Base, color.isValid() ? color : QWidget::palette().color(QPalette::Base));
    txtFields[3]->setPalette(palette);
    txtFields[3]->setPlaceholderText(color.isValid() ? QString() : u"(the list's own colour)"_s);
}

QStringList frmJockey::typedTexts() const
{
    QStringList texts;
    for (const QLineEdit *box : txtFields)
        texts << box->text();
    for (const QLineEdit *box : mebFields)
        texts << box->text();
    texts << m_color << txtRidewgt->text() << vblcInvPer->currentText() << dtpLast->text();
    return texts;
}

void frmJockey::rememberShownTexts()
{
    m_shownTexts = typedTexts();
}

bool frmJockey::hasUnstoredTyping() const
{
    return typedTexts() != m_shownTexts;
}

void frmJockey::reject()
{
    if (hasUnstoredTyping()) {
        const QString name = txtFields[0]->text().trimmed();
        const bool isNew = adding() || m_position < 0;
        const QString what = isNew ? (name.isEmpty() ? u"the new jockey"_s : u"the new jockey %1"_s.arg(name))
                                   : u"the changes to %1"_s.arg(m_rows.at(m_position).jockey);
        if (!UserDialogs::instance().askYesNo(kTitle, u"Close without storing %1?"_s.arg(what),
                                              UserDialogs::Icon::Question, UserDialogs::Answer::No))
            return;
    }
    QDialog::reject();
}

void frmJockey::formatAmount(int index)
{
    // Text that is not an amount is left as typed; Update names the field.
    const QString text = mebFields[index]->text();
    if (index == 0) {
        if (const std::optional<double> rate = jockeys::amountOf(text))
            mebFields[index]->setText(jockeys::rateText(*rate));
    } else if (const std::optional<Currency> money = jockeys::moneyOf(text)) {
        mebFields[index]->setText(jockeys::moneyText(*money));
    }
}

void frmJockey::addNew()
{
    lblProblem->hide();
    SetEditMode(u"Add"_s);
    for (QLineEdit *box : txtFields)
        box->clear();
    setColor(kDefaultStoredColor);
    txtRidewgt->clear();
    for (QLineEdit *box : mebFields)
        box->clear();
    vblcInvPer->setCurrentIndex(-1);
    dtpLast->setDate(Clock::instance().today());
    rememberShownTexts();
    txtFields[0]->setFocus();
}

void frmJockey::showProblem(jockeys::Field field, const QString &message)
{
    QWidget *box = txtFields[0];
    switch (field) {
    case jockeys::Field::Jockey:
        box = txtFields[0];
        break;
    case jockeys::Field::RideWeight:
        box = txtRidewgt;
        break;
    case jockeys::Field::InvoicePeriod:
        box = vblcInvPer;
        break;
    case jockeys::Field::ManagerRate:
        box = mebFields[0];
        break;
    case jockeys::Field::BookFee:
        box = mebFields[1];
        break;
    case jockeys::Field::ScratchFee:
        box = mebFields[2];
        break;
    case jockeys::Field::TrialFee:
        box = mebFields[3];
        break;
    }
    // The message stands beside the field it is about.
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    m_grid->getItemPosition(m_grid->indexOf(box), &row, &column, &rowSpan, &columnSpan);
    m_grid->removeWidget(lblProblem);
    m_grid->addWidget(lblProblem, row, 3);
    // The message widens the window; the boxes keep the width they have instead of shrinking to make room for it.
    m_grid->setColumnMinimumWidth(column, box->width());
    lblProblem->setText(message);
    lblProblem->show();
    resize(size().expandedTo(sizeHint()));
    UserDialogs::instance().message(kTitle, message, UserDialogs::Icon::Exclamation);
    box->setFocus();
}

void frmJockey::update()
{
    // With no row to update, Update stores the fields as a new jockey.
    const bool add = adding() || m_position < 0;
    if (!dtpLast->check())
        return;
    const QString original = add ? QString() : m_rows.at(m_position).jockey;
    const jockeys::JockeyInput input{
        txtFields[0]->text(), txtFields[1]->text(), txtFields[2]->text(),      m_color,
        txtFields[4]->text(), txtRidewgt->text(),   mebFields[0]->text(),      mebFields[1]->text(),
        mebFields[2]->text(), mebFields[3]->text(), vblcInvPer->currentText(), dtpLast->date()};
    JockeyRecord record;
    runGuarded([&] {
        if (const std::optional<jockeys::InputError> error = jockeys::validate(input, original, &record)) {
            showProblem(error->field, error->message);
            return;
        }
        lblProblem->hide();
        if (!add) {
            jockeys::updateJockey(original, record);
            reloadAt(record.jockey);
            return;
        }
        QProgressDialog progress(u"Downloading every ride of %1 from the data server..."_s.arg(record.jockey),
                                 u"Cancel"_s, 0, 0, this);
        progress.setObjectName(u"progressRides"_s);
        progress.setWindowTitle(kTitle);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        progress.show();
        jockeys::AddOutcome outcome;
        {
            BusyPointer busy;
            outcome = jockeys::addJockey(record, [&progress] { return progress.wasCanceled(); });
        }
        progress.close();
        if (outcome == jockeys::AddOutcome::Cancelled)
            return; // still adding: the agent may store again or cancel the add
        if (outcome == jockeys::AddOutcome::StoredWithoutRides)
            UserDialogs::instance().information(
                kTitle, u"%1 is stored, but the rides could not be downloaded. Use \"Reload Jockey Form Data\" "
                        "when the data server answers."_s.arg(record.jockey));
        SetEditMode(u"Edit"_s);
        reloadAt(record.jockey);
    });
}

void frmJockey::reloadAt(const QString &jockey)
{
    m_rows = jockeys::loadJockeys(m_filter.trimmed().isEmpty() ? QString() : jockey);
    m_position = m_rows.isEmpty() ? -1 : 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).jockey == jockey)
            m_position = i;
    }
    ShowJockeyRecord();
}

void frmJockey::deleteCurrent()
{
    if (adding() || m_position < 0)
        return;
    const QString jockey = m_rows.at(m_position).jockey;
    runGuarded([&] {
        if (!UserDialogs::instance().askYesNo(u"Confirm Removal"_s,
                                              jockeys::deleteQuestion(jockey, jockeys::rideCount(jockey)),
                                              UserDialogs::Icon::Question, UserDialogs::Answer::No))
            return;
        jockeys::deleteJockey(jockey);
        const int position = m_position;
        m_rows = jockeys::loadJockeys(m_filter);
        if (m_rows.isEmpty()) {
            m_position = -1;
            UserDialogs::instance().message(QString(), u"No more data left"_s, UserDialogs::Icon::None);
            QDialog::reject();
            return;
        }
        m_position = std::min(position, int(m_rows.size()) - 1);
        ShowJockeyRecord();
    });
}

void frmJockey::closeOrCancel()
{
    if (adding()) {
        SetEditMode(u"Edit"_s);
        ShowJockeyRecord();
        return;
    }
    accept();
}

void frmJockey::next()
{
    if (adding())
        return;
    if (m_position < rowCount() - 1)
        ++m_position;
    ShowJockeyRecord();
}

void frmJockey::previous()
{
    if (adding())
        return;
    if (m_position > 0)
        --m_position;
    ShowJockeyRecord();
}

void frmJockey::selectColor()
{
    const std::optional<QColor> chosen =
        UserDialogs::instance().pickColor(fromStoredColor(m_color), u"Select Jockey Highlight Colour"_s);
    if (!chosen)
        return; // cancelled: the colour stays
    // Black stands for the list's own colour, as it always has.
    setColor(chosen->isValid() && toStoredColorValue(*chosen) != 0 ? toStoredColor(*chosen) : kDefaultStoredColor);
}

void frmJockey::searchJockey()
{
    if (txtFields[0]->text().isEmpty()) {
        UserDialogs::instance().critical(kTitle, u"Enter Jockeys Surname then Press Seach Button"_s);
        return;
    }
    frmSelJockey picker(txtFields[0], this);
    if (picker.load())
        picker.exec();
}
