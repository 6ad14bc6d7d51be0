#include "FrmSeason.h"

#include "core/Clock.h"
#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "core/ui/ReadOnlyGrid.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "rides/RideSheet.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPainter>
#include <QPointer>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QValueAxis>

using namespace Qt::StringLiterals;

namespace {

QPointer<FrmSeason> &theWindow()
{
    static QPointer<FrmSeason> window;
    return window;
}

const QStringList kHeads{u"Month"_s,  u"Rides"_s,       u"Wins"_s,         u"Seconds"_s,
                         u"Thirds"_s, u"Prize Money"_s, u"Strike Rate %"_s};

QStringList monthCells(const MonthFigures &month)
{
    return {month.month.toString(u"MMM yyyy"_s),
            QString::number(month.rides),
            QString::number(month.wins),
            QString::number(month.seconds),
            QString::number(month.thirds),
            month.prizeMoney.toDisplay(),
            month.strikeRateText()};
}

} // namespace

FrmSeason::FrmSeason(const QString &jockey, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmSeason"_s);
    setWindowTitle(kTitle);
    buildWidgets();
    runGuarded([&] {
        for (const QString &name : ridesheet::managedJockeys())
            cmbJockey->addItem(name, name);
    });
    cmbJockey->setCurrentIndex(std::max(0, cmbJockey->findData(jockey, Qt::UserRole, Qt::MatchFixedString)));
    const season::Range range = season::lastTwelveMonths(Clock::instance().today());
    dtpFrom->setDate(range.from);
    dtpTo->setDate(range.to);
    connect(cmbJockey, &QComboBox::currentIndexChanged, this, &FrmSeason::reload);
    connect(dtpFrom, &QDateEdit::dateChanged, this, &FrmSeason::reload);
    connect(dtpTo, &QDateEdit::dateChanged, this, &FrmSeason::reload);
    reload();
}

FrmSeason *FrmSeason::showFor(QWidget *parent, const QString &jockey)
{
    if (!theWindow()) {
        theWindow() = new FrmSeason(jockey, parent);
        theWindow()->setAttribute(Qt::WA_DeleteOnClose);
    } else if (!jockey.isEmpty()) {
        theWindow()->cmbJockey->setCurrentIndex(
            std::max(0, theWindow()->cmbJockey->findData(jockey, Qt::UserRole, Qt::MatchFixedString)));
    }
    theWindow()->show();
    theWindow()->raise();
    theWindow()->activateWindow();
    return theWindow();
}

void FrmSeason::buildWidgets()
{
    cmbJockey = new QComboBox(this);
    cmbJockey->setObjectName(u"cmbJockey"_s);
    dtpFrom = new QDateEdit(this);
    dtpFrom->setObjectName(u"dtpFrom"_s);
    dtpTo = new QDateEdit(this);
    dtpTo->setObjectName(u"dtpTo"_s);
    for (QDateEdit *date : {dtpFrom, dtpTo}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(u"d MMM yyyy"_s);
    }
    m_model = new QStandardItemModel(this);
    grdMonths = new QTableView(this);
    grdMonths->setObjectName(u"grdMonths"_s);
    grdMonths->setModel(m_model);
    setUpReadOnlyGrid(grdMonths);
    chvSeason = new QChartView(new QChart, this);
    chvSeason->setObjectName(u"chvSeason"_s);
    chvSeason->setRenderHint(QPainter::Antialiasing);
    chvSeason->setMinimumHeight(260);

    cmdPrint = new QPushButton(u"&Print..."_s, this);
    cmdPrint->setObjectName(u"cmdPrint"_s);
    cmdClose = new QPushButton(u"C&lose"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    for (QPushButton *b : {cmdPrint, cmdClose})
        b->setAutoDefault(false);

    auto *choice = new QHBoxLayout;
    auto label = [this, choice](const QString &text, QWidget *buddy) {
        auto *l = new QLabel(text, this);
        l->setBuddy(buddy);
        choice->addWidget(l);
        choice->addWidget(buddy);
    };
    label(u"&Jockey:"_s, cmbJockey);
    label(u"&From:"_s, dtpFrom);
    label(u"&To:"_s, dtpTo);
    choice->addStretch();
    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(chvSeason);
    splitter->addWidget(grdMonths);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdPrint);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QGridLayout(this);
    layout->addLayout(choice, 0, 0);
    layout->addWidget(splitter, 1, 0);
    layout->addLayout(buttons, 2, 0);
    resize(900, 680);

    connect(cmdPrint, &QPushButton::clicked, this, &FrmSeason::printSeason);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

QChart *FrmSeason::chart() const
{
    return chvSeason->chart();
}

void FrmSeason::reload()
{
    m_months.clear();
    runGuarded([&] {
        if (!cmbJockey->currentData().toString().isEmpty())
            m_months = season::monthFigures(cmbJockey->currentData().toString(), {dtpFrom->date(), dtpTo->date()});
    });
    m_model->clear();
    m_model->setHorizontalHeaderLabels(kHeads);
    for (const MonthFigures &month : m_months) {
        QList<QStandardItem *> row;
        for (const QString &cell : monthCells(month)) {
            row << new QStandardItem(cell);
            if (row.size() > 1)
                row.constLast()->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        m_model->appendRow(row);
    }
    grdMonths->resizeColumnsToContents();
    fillChart();
}

void FrmSeason::fillChart()
{
    QChart *chart = chvSeason->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis);
    chart->setTitle(cmbJockey->currentText() + u": rides, wins and prize money by month"_s);

    auto *rides = new QBarSet(u"Rides"_s);
    auto *wins = new QBarSet(u"Wins"_s);
    auto *prize = new QLineSeries;
    prize->setName(u"Prize money ($)"_s);
    QStringList months;
    int most = 1;
    double richest = 1;
    for (qsizetype i = 0; i < m_months.size(); ++i) {
        const MonthFigures &month = m_months.at(i);
        months << month.month.toString(u"MMM yy"_s);
        *rides << month.rides;
        *wins << month.wins;
        prize->append(double(i), month.prizeMoney.toDouble());
        most = std::max(most, month.rides);
        richest = std::max(richest, month.prizeMoney.toDouble());
    }
    auto *bars = new QBarSeries;
    bars->append(rides);
    bars->append(wins);
    chart->addSeries(bars);
    chart->addSeries(prize);

    auto *axisMonths = new QBarCategoryAxis;
    axisMonths->append(months);
    chart->addAxis(axisMonths, Qt::AlignBottom);
    bars->attachAxis(axisMonths);
    prize->attachAxis(axisMonths);
    auto *axisRides = new QValueAxis;
    axisRides->setRange(0, most);
    axisRides->setLabelFormat(u"%d"_s);
    axisRides->setTitleText(u"Rides"_s);
    chart->addAxis(axisRides, Qt::AlignLeft);
    bars->attachAxis(axisRides);
    auto *axisPrize = new QValueAxis;
    axisPrize->setRange(0, richest);
    axisPrize->setLabelFormat(u"$%.0f"_s);
    axisPrize->setTitleText(u"Prize money"_s);
    chart->addAxis(axisPrize, Qt::AlignRight);
    prize->attachAxis(axisPrize);
    axisRides->applyNiceNumbers();
    axisPrize->applyNiceNumbers();
    chart->legend()->setAlignment(Qt::AlignBottom);
}

void FrmSeason::paintPage(QPainter &painter, const QRect &page)
{
    const int line = painter.fontMetrics().height();
    QFont heading = painter.font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    painter.save();
    painter.setFont(heading);
    const int headingHeight = painter.fontMetrics().height();
    painter.drawText(QRect(page.left(), page.top(), page.width(), headingHeight), Qt::AlignLeft,
                     cAppSettings::instance().Companyname);
    painter.restore();
    const QString title = u"%1: the season from %2 to %3"_s.arg(
        cmbJockey->currentText(), dtpFrom->date().toString(u"d MMMM yyyy"_s), dtpTo->date().toString(u"d MMMM yyyy"_s));
    int y = page.top() + headingHeight + line / 2;
    painter.drawText(QRect(page.left(), y, page.width(), line), Qt::AlignLeft, title);
    y += line * 2;

    const int tableHeight = line * int(m_months.size() + 2);
    const QRect chartArea(page.left(), y, page.width(), std::max(line * 10, page.bottom() - y - tableHeight));
    chvSeason->render(&painter, chartArea, QRect(), Qt::KeepAspectRatio);
    y = chartArea.bottom() + line;

    const int column = page.width() / int(kHeads.size());
    auto drawRow = [&](const QStringList &cells) {
        for (int i = 0; i < cells.size(); ++i)
            painter.drawText(QRect(page.left() + i * column, y, column - 6, line),
                             (i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, cells.at(i));
        y += line;
    };
    painter.save();
    QFont bold = painter.font();
    bold.setBold(true);
    painter.setFont(bold);
    drawRow(kHeads);
    painter.restore();
    for (const MonthFigures &month : m_months)
        drawRow(monthCells(month));
}

void FrmSeason::printSeason()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(kTitle + u" - "_s + cmbJockey->currentText());
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(u"prvSeason"_s);
    preview.setWindowTitle(kTitle);
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [this](QPrinter *target) {
        QPainter painter(target);
        paintPage(painter, QRect(0, 0, target->width(), target->height()));
    });
    preview.exec();
}
