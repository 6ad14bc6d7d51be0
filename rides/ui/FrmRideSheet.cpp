#include "FrmRideSheet.h"

#include "core/Clock.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "core/ui/ReadOnlyGrid.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "rides/RideCalendar.h"
#include "rides/RideSheetReport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

QPointer<FrmRideSheet> &theWindow()
{
    static QPointer<FrmRideSheet> window;
    return window;
}

} // namespace

FrmRideSheet::FrmRideSheet(const QString &jockey, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmRideSheet"_s);
    setWindowTitle(kTitle);
    buildWidgets();
    runGuarded([&] {
        cmbJockey->addItem(u"(all jockeys)"_s, QString());
        for (const QString &name : ridesheet::managedJockeys())
            cmbJockey->addItem(name, name);
    });
    chooseJockey(jockey);
    connect(cmbJockey, &QComboBox::currentIndexChanged, this, [this] {
        runGuarded(
            [this] { dtpDate->setDate(ridesheet::nextDayWithRides(chosenJockey(), Clock::instance().today())); });
        reload();
    });
    connect(dtpDate, &QDateEdit::dateChanged, this, &FrmRideSheet::reload);
    connect(spnDays, &QSpinBox::valueChanged, this, &FrmRideSheet::reload);
    reload();
}

FrmRideSheet *FrmRideSheet::showFor(QWidget *parent, const QString &jockey)
{
    if (!theWindow()) {
        theWindow() = new FrmRideSheet(jockey, parent);
        theWindow()->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        theWindow()->chooseJockey(jockey);
    }
    theWindow()->show();
    theWindow()->raise();
    theWindow()->activateWindow();
    return theWindow();
}

void FrmRideSheet::buildWidgets()
{
    cmbJockey = new QComboBox(this);
    cmbJockey->setObjectName(u"cmbJockey"_s);
    dtpDate = new QDateEdit(this);
    dtpDate->setObjectName(u"dtpDate"_s);
    dtpDate->setCalendarPopup(true);
    dtpDate->setDisplayFormat(u"ddd d MMM yyyy"_s);
    spnDays = new QSpinBox(this);
    spnDays->setObjectName(u"spnDays"_s);
    spnDays->setRange(1, 14);
    spnDays->setToolTip(u"How many days from the date: 7 for the coming week's calendar"_s);

    m_model = new QStandardItemModel(this);
    grdRides = new QTableView(this);
    grdRides->setObjectName(u"grdRides"_s);
    grdRides->setModel(m_model);
    setUpReadOnlyGrid(grdRides);
    grdRides->horizontalHeader()->setStretchLastSection(true);

    auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdPrint = button("cmdPrint", u"&Print..."_s);
    cmdPdf = button("cmdPdf", u"Save P&DF..."_s);
    cmdCalendar = button("cmdCalendar", u"Calendar &File..."_s);
    cmdCalendar->setToolTip(u"The rides as an iCalendar file for the jockey's phone or calendar"_s);
    cmdCopy = button("cmdCopy", u"&Copy"_s);
    cmdCopy->setToolTip(u"The rides as plain text, to paste into a message"_s);
    cmdClose = button("cmdClose", u"C&lose"_s);

    auto *choice = new QHBoxLayout;
    auto label = [this, choice](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        choice->addWidget(l);
        choice->addWidget(buddy);
    };
    label(u"&Jockey:"_s, cmbJockey);
    label(u"D&ate:"_s, dtpDate);
    label(u"Da&ys:"_s, spnDays);
    choice->addStretch();
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdPrint, cmdPdf, cmdCalendar, cmdCopy})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QGridLayout(this);
    layout->addLayout(choice, 0, 0);
    layout->addWidget(grdRides, 1, 0);
    layout->addLayout(buttons, 2, 0);
    resize(1100, 480);

    connect(cmdPrint, &QPushButton::clicked, this, &FrmRideSheet::printSheets);
    connect(cmdPdf, &QPushButton::clicked, this, &FrmRideSheet::savePdf);
    connect(cmdCalendar, &QPushButton::clicked, this, &FrmRideSheet::saveCalendar);
    connect(cmdCopy, &QPushButton::clicked, this, &FrmRideSheet::copyText);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

void FrmRideSheet::chooseJockey(const QString &jockey)
{
    const int at = jockey.isEmpty() ? 0 : cmbJockey->findData(jockey, Qt::UserRole, Qt::MatchFixedString);
    const QSignalBlocker blocker(cmbJockey);
    cmbJockey->setCurrentIndex(std::max(0, at));
    const QSignalBlocker dateBlocker(dtpDate);
    runGuarded([this] { dtpDate->setDate(ridesheet::nextDayWithRides(chosenJockey(), Clock::instance().today())); });
    if (m_model->columnCount() > 0)
        reload();
}

QString FrmRideSheet::chosenJockey() const
{
    return cmbJockey->currentData().toString();
}

void FrmRideSheet::reload()
{
    const bool all = chosenJockey().isEmpty();
    m_rides.clear();
    runGuarded([&] { m_rides = ridesheet::readRides(chosenJockey(), dtpDate->date(), spnDays->value()); });
    m_model->clear();
    QStringList heads = ridesheet::columnHeads(all);
    if (spnDays->value() > 1)
        heads.prepend(u"Date"_s);
    m_model->setHorizontalHeaderLabels(heads);
    for (const Ride &ride : m_rides) {
        QStringList cells = ridesheet::cells(ride, all);
        if (spnDays->value() > 1)
            cells.prepend(ride.date.toString(u"ddd d MMM"_s));
        QList<QStandardItem *> row;
        for (const QString &cell : cells)
            row << new QStandardItem(cell);
        if (!ride.warnings.isEmpty())
            row.constLast()->setForeground(Qt::red);
        m_model->appendRow(row);
    }
    grdRides->resizeColumnsToContents();
    const bool any = !m_rides.isEmpty();
    for (QPushButton *b : {cmdPdf, cmdCalendar, cmdCopy})
        b->setEnabled(any);
}

QString FrmRideSheet::suggestedName(const QString &extension) const
{
    const QString who = chosenJockey().isEmpty() ? u"Rides"_s : u"Rides "_s + chosenJockey();
    QString name = u"%1 %2.%3"_s.arg(who, dtpDate->date().toString(Qt::ISODate), extension);
    name.replace(u'/', u'-');
    return QDir::home().filePath(name);
}

void FrmRideSheet::printSheets()
{
    const RideSheetReport report(m_rides, cAppSettings::instance().Companyname, dtpDate->date(), spnDays->value());
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                      QPageLayout::Millimeter));
    printer.setDocName(kTitle);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(u"prvRideSheet"_s);
    preview.setWindowTitle(kTitle);
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
            [&report](QPrinter *target) { report.print(target); });
    preview.exec();
}

QString FrmRideSheet::askSavePath(const QString &title, const QString &filter, const QString &extension) const
{
    UserDialogs::FileRequest request;
    request.title = title;
    request.filter = filter;
    request.suggestedName = suggestedName(extension);
    return UserDialogs::instance().saveFile(request);
}

void FrmRideSheet::savePdf()
{
    const QString path = askSavePath(u"Save PDF"_s, u"PDF files|*.pdf"_s, u"pdf"_s);
    if (path.isEmpty())
        return;
    QString why;
    if (!RideSheetReport(m_rides, cAppSettings::instance().Companyname, dtpDate->date(), spnDays->value())
             .writePdf(path, &why))
        UserDialogs::instance().critical(u"Error"_s, why);
}

void FrmRideSheet::saveCalendar()
{
    const QString path = askSavePath(u"Save Calendar File"_s, u"iCalendar files|*.ics"_s, u"ics"_s);
    if (path.isEmpty())
        return;
    QString why;
    if (!ridecalendar::writeCalendar(path, m_rides, Clock::instance().now(), &why))
        UserDialogs::instance().critical(u"Error"_s, why);
}

void FrmRideSheet::copyText()
{
    QApplication::clipboard()->setText(ridesheet::messageText(m_rides));
}
