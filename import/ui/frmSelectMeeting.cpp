#include "frmSelectMeeting.h"

#include "core/UserDialogs.h"
#include "core/cAppSettings.h"
#include "core/ui/BusyPointer.h"
#include "import/WebFieldDownload.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

enum Columns { ColDate, ColMeeting, ColPhase, ColLink };

// Dates sort by the day they name, not by their text.
class MeetingItem : public QTableWidgetItem
{
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem &other) const override
    {
        if (column() == ColDate) {
            const QDate mine = webpages::meetingDate(text());
            const QDate theirs = webpages::meetingDate(other.text());
            if (mine.isValid() && theirs.isValid() && mine != theirs)
                return mine < theirs;
        }
        return text().compare(other.text(), Qt::CaseInsensitive) < 0;
    }
};

} // namespace

frmSelectMeeting::frmSelectMeeting(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmSelectMeeting"_s);
    setWindowTitle(u"Select Meetings"_s);
    resize(480, 440);

    cmbState = new QComboBox(this);
    cmbState->setObjectName(u"cmbState"_s);
    cmbState->setEditable(true);
    cmbState->addItems({u"VIC"_s, u"QLD"_s, u"NSW"_s, u"TAS"_s, u"SA"_s, u"WA"_s, u"NT"_s, u"ACT"_s});
    chkShowPhase = new QCheckBox(u"Show All Phases"_s, this);
    chkShowPhase->setObjectName(u"chkShowPhase"_s);
    chkSwitch = new QCheckBox(u"Use other source for Noms"_s, this);
    chkSwitch->setObjectName(u"chkSwitch"_s);
    cmdRefresh = new QPushButton(u"Refresh"_s, this);
    cmdRefresh->setObjectName(u"cmdRefresh"_s);
    cmdDownload = new QPushButton(u"Download Nominations"_s, this);
    cmdDownload->setObjectName(u"cmdDownload"_s);

    grdMeeting = new QTableWidget(0, 4, this);
    grdMeeting->setObjectName(u"grdMeeting"_s);
    grdMeeting->setHorizontalHeaderLabels({u"Date"_s, u"Meeting"_s, u"Phase"_s, u"Link"_s});
    grdMeeting->setColumnWidth(ColDate, 90);
    grdMeeting->setColumnWidth(ColMeeting, 200);
    grdMeeting->setColumnWidth(ColPhase, 100);
    grdMeeting->setColumnHidden(ColLink, true);
    grdMeeting->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdMeeting->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdMeeting->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdMeeting->verticalHeader()->hide();
    grdMeeting->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    grdMeeting->setToolTip(kHelpText);
    grdMeeting->horizontalHeader()->setSectionsClickable(true);
    grdMeeting->horizontalHeader()->setSortIndicatorShown(true);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(u"Select State:"_s, this));
    top->addWidget(cmbState);
    top->addStretch();
    top->addWidget(cmdRefresh);
    auto *options = new QHBoxLayout;
    options->addWidget(chkShowPhase);
    options->addWidget(chkSwitch);
    options->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(options);
    layout->addWidget(grdMeeting);
    layout->addWidget(cmdDownload);

    // Enter in the state box is one choice of a state: the box's own handling and a default button
    // would each take it as well, so the window takes it first (eventFilter).
    for (QPushButton *button : {cmdRefresh, cmdDownload})
        button->setAutoDefault(false);
    cmbState->lineEdit()->installEventFilter(this);
    connect(cmbState, &QComboBox::activated, this, [this] { refresh(); });
    connect(chkShowPhase, &QCheckBox::clicked, this, [this] { refresh(); });
    connect(chkSwitch, &QCheckBox::clicked, this, [this](bool on) {
        otherSourceFlag() = on;
        refresh();
    });
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { refresh(); });
    connect(cmdDownload, &QPushButton::clicked, this, [this] { download(); });
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this, [this] { refresh(); });
    connect(grdMeeting->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { sortOn(c); });
}

bool frmSelectMeeting::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cmbState->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            refresh();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool &frmSelectMeeting::otherSourceFlag()
{
    static bool flag = false;
    return flag;
}

QString frmSelectMeeting::OpenSelect(QWidget *parent)
{
    frmSelectMeeting window(parent);
    window.chkSwitch->setChecked(otherSourceFlag());
    window.show();
    window.setState(cAppSettings::instance().effectiveDefaultState());
    window.exec();
    return window.m_statusLine;
}

void frmSelectMeeting::setState(const QString &state)
{
    const QString text = state.trimmed().isEmpty() ? u"VIC"_s : state.trimmed().toUpper();
    cmbState->setCurrentText(text);
    refresh();
}

void frmSelectMeeting::setBusy(bool busy)
{
    m_busy = busy;
    for (QWidget *control :
         std::initializer_list<QWidget *>{cmbState, chkShowPhase, chkSwitch, cmdRefresh, cmdDownload})
        control->setEnabled(!busy);
}

void frmSelectMeeting::refresh()
{
    // One request at a time: a refresh asked for while the sites are being read waits for none.
    if (m_busy)
        return;
    setBusy(true);
    BusyPointer busy;
    const auto listed = WebFieldDownloader::calendar(cmbState->currentText().trimmed().toUpper(),
                                                     chkShowPhase->isChecked(), chkSwitch->isChecked());
    grdMeeting->setUpdatesEnabled(false);
    grdMeeting->setSortingEnabled(false);
    grdMeeting->setRowCount(0);
    for (const CalendarEntry &entry : listed.value_or(QList<CalendarEntry>{})) {
        const int row = grdMeeting->rowCount();
        grdMeeting->insertRow(row);
        const QStringList texts{entry.date, entry.meeting, entry.phase, entry.link};
        for (int c = 0; c < texts.size(); ++c)
            grdMeeting->setItem(row, c, new MeetingItem(texts.at(c)));
    }
    if (grdMeeting->rowCount() > 0)
        grdMeeting->selectRow(0);
    grdMeeting->setUpdatesEnabled(true);
    setBusy(false);
}

void frmSelectMeeting::sortOn(int column)
{
    QTableWidgetItem *header = grdMeeting->horizontalHeaderItem(column);
    // Clicking the sorted column again reverses it; the tag tells which way it is sorted now.
    const bool descending =
        header->data(Qt::UserRole + 1).toBool() && header->data(Qt::UserRole).toString() != "DESC"_L1;
    for (int c = 0; c < grdMeeting->columnCount(); ++c) {
        grdMeeting->horizontalHeaderItem(c)->setData(Qt::UserRole, QString());
        grdMeeting->horizontalHeaderItem(c)->setData(Qt::UserRole + 1, false);
    }
    header->setData(Qt::UserRole, descending ? u"DESC"_s : QString());
    header->setData(Qt::UserRole + 1, true);
    const Qt::SortOrder order = descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    grdMeeting->sortItems(column, order);
    grdMeeting->horizontalHeader()->setSortIndicator(column, order);
}

QList<CalendarEntry> frmSelectMeeting::entries() const
{
    QList<CalendarEntry> out;
    for (int row = 0; row < grdMeeting->rowCount(); ++row) {
        out << CalendarEntry{grdMeeting->item(row, ColDate)->text(), grdMeeting->item(row, ColMeeting)->text(),
                             grdMeeting->item(row, ColPhase)->text(), grdMeeting->item(row, ColLink)->text()};
    }
    return out;
}

void frmSelectMeeting::download()
{
    if (m_busy)
        return;
    const QList<CalendarEntry> all = entries();
    QList<CalendarEntry> chosen;
    for (const QModelIndex &index : grdMeeting->selectionModel()->selectedRows())
        chosen << all.at(index.row());

    setBusy(true);
    bool cancelled = false;
    QList<WebMeetingResult> results;
    {
        BusyPointer busy;
        QProgressDialog progress(u"Downloading meetings"_s, u"Cancel"_s, 0, int(chosen.size()), this);
        progress.setWindowTitle(u"Download Nominations"_s);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        results = WebFieldDownloader::downloadMeetings(
            cmbState->currentText().trimmed().toUpper(), chosen, chkSwitch->isChecked(),
            [&](int index, const CalendarEntry &entry) {
                progress.setValue(index);
                progress.setLabelText(u"Downloading %1 (%2), %3\nmeeting %4 of %5"_s.arg(
                    entry.meeting, entry.date, entry.phase, QString::number(index + 1),
                    QString::number(chosen.size())));
                return !progress.wasCanceled();
            },
            [&] { return progress.wasCanceled(); });
        cancelled = progress.wasCanceled();
        progress.setValue(int(chosen.size()));
    }
    setBusy(false);
    const DownloadSummary summary = WebFieldDownloader::summarise(results);
    if (!results.isEmpty())
        m_statusLine = summary.statusLine;
    if (cancelled) {
        UserDialogs::instance().information(
            u"Download Nominations"_s,
            u"The download was cancelled; the meetings finished before it are stored.\n\n"_s + summary.text);
        return;
    }
    UserDialogs::instance().message(summary.title, summary.text,
                                    summary.allLoaded ? UserDialogs::Icon::Information
                                                      : UserDialogs::Icon::Exclamation);
    accept();
}
