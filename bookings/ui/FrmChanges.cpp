#include "FrmChanges.h"

#include "FrmRace.h"
#include "bookings/BookingUndo.h"
#include "bookings/RaceRunners.h"
#include "core/Clock.h"
#include "core/UserDialogs.h"
#include "core/ui/BusyPointer.h"
#include "db/Database.h"
#include "db/DbGuard.h"
#include "roster/StoredColor.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

enum Column { Horse, Kind, BeforeAfter, Jockey, When, Seen, ColumnCount };

QPointer<FrmChanges> &theWindow()
{
    static QPointer<FrmChanges> window;
    return window;
}

QString shownValue(const QString &value)
{
    return value.isEmpty() ? u"\u2014"_s : value;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QComboBox *makeFilter(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

// Refills a filter list, keeping the chosen entry when it is still offered.
void refill(QComboBox *box, const QString &all, const QStringList &values)
{
    const QString chosen = box->currentData().toString();
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItem(all, QString());
    for (const QString &value : values)
        box->addItem(value, value);
    box->setCurrentIndex(std::max(0, box->findData(chosen)));
}

} // namespace

FrmChanges::FrmChanges(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmChanges"_s);
    setWindowTitle(kTitle);
    setModal(false);
    resize(1040, 560);
    buildWidgets();
    runGuarded([this] {
        fillFilters();
        reload();
    });
}

FrmChanges *FrmChanges::showUnseen(QWidget *parent)
{
    if (!theWindow()) {
        theWindow() = new FrmChanges(parent);
        theWindow()->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        const QSignalBlocker blocker(theWindow()->cmbShow);
        theWindow()->cmbShow->setCurrentIndex(theWindow()->cmbShow->findData(int(Show::Unseen)));
        runGuarded([] {
            theWindow()->fillFilters();
            theWindow()->reload();
        });
    }
    theWindow()->show();
    theWindow()->raise();
    theWindow()->activateWindow();
    return theWindow();
}

FrmChanges *FrmChanges::showLoad(QWidget *parent, const QList<qint64> &ids)
{
    FrmChanges *window = showUnseen(parent);
    window->setLoad(ids);
    return window;
}

void FrmChanges::buildWidgets()
{
    auto *outer = new QVBoxLayout(this);

    auto *filters = new QHBoxLayout;
    cmbShow = makeFilter(this, "cmbShow");
    cmbShow->addItem(u"Unseen"_s, int(Show::Unseen));
    cmbShow->addItem(u"Last 3 days"_s, int(Show::Days3));
    cmbShow->addItem(u"Last 7 days"_s, int(Show::Days7));
    cmbShow->addItem(u"All kept (%1 days)"_s.arg(fieldchangelog::kKeptDays), int(Show::Kept));
    cmbMeeting = makeFilter(this, "cmbMeeting");
    cmbJockey = makeFilter(this, "cmbJockey");
    cmbKind = makeFilter(this, "cmbKind");
    for (const auto &[caption, box] : {std::pair{u"Show:"_s, cmbShow}, std::pair{u"Meeting:"_s, cmbMeeting},
                                       std::pair{u"Jockey:"_s, cmbJockey}, std::pair{u"Kind:"_s, cmbKind}}) {
        filters->addWidget(new QLabel(caption, this));
        filters->addWidget(box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] { runGuarded([this] { reload(); }); });
    }
    filters->addStretch(1);
    lblCount = new QLabel(this);
    lblCount->setObjectName(u"lblCount"_s);
    filters->addWidget(lblCount);
    outer->addLayout(filters);

    tvwChanges = new QTreeWidget(this);
    tvwChanges->setObjectName(u"tvwChanges"_s);
    tvwChanges->setColumnCount(ColumnCount);
    tvwChanges->setHeaderLabels({u"Horse"_s, u"Change"_s, u"Before \u2192 After"_s, u"Jockey"_s, u"When"_s, u"Seen"_s});
    tvwChanges->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvwChanges->setAlternatingRowColors(true);
    tvwChanges->header()->resizeSection(Horse, 190);
    tvwChanges->header()->resizeSection(Kind, 175);
    tvwChanges->header()->resizeSection(BeforeAfter, 230);
    tvwChanges->header()->resizeSection(Jockey, 150);
    tvwChanges->header()->resizeSection(When, 125);
    outer->addWidget(tvwChanges, 1);

    auto *buttons = new QHBoxLayout;
    cmdRemoveBooking = makeButton(this, "cmdRemoveBooking", u"&Remove Booking"_s);
    cmdKeep = makeButton(this, "cmdKeep", u"&Keep"_s);
    cmdRaceWindow = makeButton(this, "cmdRaceWindow", u"Race &Window"_s);
    cmdClose = makeButton(this, "cmdClose", u"&Close"_s);
    cmdRemoveBooking->setToolTip(u"Remove the bookings of the chosen horses (asks first)"_s);
    cmdKeep->setToolTip(u"Keep the bookings: the chosen changes are marked seen"_s);
    for (QPushButton *button : {cmdRemoveBooking, cmdKeep, cmdRaceWindow})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    outer->addLayout(buttons);

    connect(cmdRemoveBooking, &QPushButton::clicked, this, [this] { runGuarded([this] { removeBookings(); }); });
    connect(cmdKeep, &QPushButton::clicked, this, [this] { runGuarded([this] { keep(); }); });
    connect(cmdRaceWindow, &QPushButton::clicked, this, &FrmChanges::openRaceWindow);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(tvwChanges, &QTreeWidget::itemSelectionChanged, this, &FrmChanges::updateButtons);
    connect(tvwChanges, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (changeOf(item))
            openRaceWindow();
    });
}

void FrmChanges::fillFilters()
{
    refill(cmbMeeting, u"All meetings"_s, fieldchangelog::meetingCodes());
    refill(cmbJockey, u"All jockeys"_s, fieldchangelog::jockeys());
    refill(cmbKind, u"All kinds"_s, fieldchanges::allKinds());
}

void FrmChanges::setLoad(const QList<qint64> &ids)
{
    m_load = ids;
    const QSignalBlocker blocker(cmbShow);
    if (cmbShow->findData(int(Show::ThisLoad)) < 0)
        cmbShow->insertItem(0, u"This load"_s, int(Show::ThisLoad));
    cmbShow->setCurrentIndex(0);
    runGuarded([this] {
        fillFilters();
        reload();
    });
}

fieldchangelog::Filter FrmChanges::currentFilter() const
{
    fieldchangelog::Filter filter;
    const QDate today = Clock::instance().today();
    switch (Show(cmbShow->currentData().toInt())) {
    case Show::ThisLoad:
        filter.ids = m_load.isEmpty() ? QList<qint64>{0} : m_load;
        break;
    case Show::Unseen:
        filter.unseenOnly = true;
        break;
    case Show::Days3:
        filter.since = today.addDays(-2);
        break;
    case Show::Days7:
        filter.since = today.addDays(-6);
        break;
    case Show::Kept:
        filter.since = today.addDays(-fieldchangelog::kKeptDays);
        break;
    }
    filter.meetingCode = cmbMeeting->currentData().toString();
    filter.jockey = cmbJockey->currentData().toString();
    filter.kind = cmbKind->currentData().toString();
    return filter;
}

void FrmChanges::reload()
{
    const QList<qint64> wasSelected = selectedIds();
    const QSet<qint64> selected(wasSelected.cbegin(), wasSelected.cend());
    m_shown = fieldchangelog::changesForReview(currentFilter());
    m_shownOrder.clear();
    for (qsizetype i = 0; i < m_shown.size(); ++i)
        m_shownOrder.insert(m_shown.at(i).id, i);
    tvwChanges->clear();
    QTreeWidgetItem *group = nullptr;
    QString groupKey;
    int unseen = 0;
    for (qsizetype i = 0; i < m_shown.size(); ++i) {
        const fieldchangelog::StoredChange &change = m_shown.at(i);
        const QString key = change.meetingCode + u'|' + QString::number(change.raceNumber);
        if (!group || key != groupKey) {
            group = new QTreeWidgetItem(tvwChanges);
            group->setText(Horse,
                           u"%1 (%2), race %3"_s
                               .arg(change.meetingLocation.isEmpty() ? change.meetingCode : change.meetingLocation,
                                    change.meetingCode)
                               .arg(change.raceNumber));
            group->setFirstColumnSpanned(true);
            QFont font = group->font(Horse);
            font.setBold(true);
            group->setFont(Horse, font);
            groupKey = key;
        }
        auto *item = new QTreeWidgetItem(group);
        item->setData(Horse, Qt::UserRole, qlonglong(i));
        item->setText(Horse, change.horse);
        item->setText(Kind, change.kind);
        item->setText(BeforeAfter, shownValue(change.before) + u" \u2192 "_s + shownValue(change.after));
        item->setText(Jockey,
                      change.booked || change.jockey.isEmpty() ? change.jockey : change.jockey + u" (not booked)"_s);
        item->setText(When, change.changedAt.left(16));
        item->setText(Seen, change.seen ? u"seen"_s : QString());
        const QColor color = fromStoredColor(change.jockeyColor);
        if (color.isValid())
            item->setBackground(Jockey, color);
        if (!change.seen) {
            ++unseen;
            for (int c = 0; c < ColumnCount; ++c) {
                QFont font = item->font(c);
                font.setBold(true);
                item->setFont(c, font);
            }
        }
        item->setSelected(selected.contains(change.id));
    }
    tvwChanges->expandAll();
    // Unseen changes are bold: the columns follow their text, so no rider or time is cut short.
    for (int c : {Kind, BeforeAfter, Jockey, When})
        tvwChanges->resizeColumnToContents(c);
    lblCount->setText(u"%1 changes, %2 unseen"_s.arg(m_shown.size()).arg(unseen));
    updateButtons();
}

const fieldchangelog::StoredChange *FrmChanges::changeOf(const QTreeWidgetItem *item) const
{
    const QVariant index = item ? item->data(Horse, Qt::UserRole) : QVariant();
    return index.isValid() ? &m_shown.at(index.toLongLong()) : nullptr;
}

QList<fieldchangelog::StoredChange> FrmChanges::selectedChanges() const
{
    QList<fieldchangelog::StoredChange> chosen;
    QSet<qint64> taken;
    auto take = [&](const QTreeWidgetItem *item) {
        if (const fieldchangelog::StoredChange *change = changeOf(item); change && !taken.contains(change->id)) {
            taken.insert(change->id);
            chosen << *change;
        }
    };
    for (const QTreeWidgetItem *item : tvwChanges->selectedItems()) {
        take(item);
        for (int c = 0; c < item->childCount(); ++c)
            take(item->child(c));
    }
    // In the order the window lists them, whatever order they were chosen in.
    std::sort(chosen.begin(), chosen.end(),
              [this](const auto &a, const auto &b) { return m_shownOrder.value(a.id) < m_shownOrder.value(b.id); });
    return chosen;
}

QList<qint64> FrmChanges::selectedIds() const
{
    QList<qint64> ids;
    for (const fieldchangelog::StoredChange &change : selectedChanges())
        ids << change.id;
    return ids;
}

void FrmChanges::updateButtons()
{
    const QList<fieldchangelog::StoredChange> chosen = selectedChanges();
    cmdKeep->setEnabled(!chosen.isEmpty());
    cmdRemoveBooking->setEnabled(std::any_of(chosen.cbegin(), chosen.cend(), [](const auto &c) { return c.booked; }));
    cmdRaceWindow->setEnabled(changeOf(tvwChanges->currentItem()) != nullptr);
}

void FrmChanges::removeBookings()
{
    QList<qint64> ids;
    QStringList horses;
    QSet<QString> named;
    for (const fieldchangelog::StoredChange &change : selectedChanges()) {
        if (!change.booked)
            continue;
        ids << change.id;
        const QString ride =
            u"%1 (%2), %3 race %4"_s.arg(change.horse, change.jockey, change.meetingCode).arg(change.raceNumber);
        if (!named.contains(change.meetingCode + u'|' + change.horse.toCaseFolded())) {
            named.insert(change.meetingCode + u'|' + change.horse.toCaseFolded());
            horses << ride;
        }
    }
    if (ids.isEmpty())
        return;
    const QString question = (horses.size() == 1 ? u"Remove the booking of this horse?"_s
                                                 : u"Remove the bookings of these %1 horses?"_s.arg(horses.size())) +
                             u"\r\r"_s + horses.join(u'\r');
    if (!UserDialogs::instance().askYesNo(u"Confirm Removal"_s, question, UserDialogs::Icon::Question,
                                          UserDialogs::Answer::No))
        return;
    fieldchangelog::Removal removal;
    {
        // One step of the session's undo, recorded in the history as the review's own.
        const BookingUndo::Gesture undoable(BookingUndo::session(), bookinghistory::Source::ChangeReview);
        removal = fieldchangelog::removeBookings(ids);
    }
    reload();
    emit changesReviewed();
    if (removal.removed > 0)
        emit bookingsChanged();
    if (!removal.notRemoved.isEmpty())
        UserDialogs::instance().message(u"Confirm Removal"_s, removal.notRemoved.join(u'\r'),
                                        UserDialogs::Icon::Exclamation);
}

void FrmChanges::keep()
{
    const QList<qint64> ids = selectedIds();
    if (ids.isEmpty())
        return;
    fieldchangelog::markSeen(ids);
    reload();
    emit changesReviewed();
}

void FrmChanges::openRaceWindow()
{
    const fieldchangelog::StoredChange *chosen = changeOf(tvwChanges->currentItem());
    if (!chosen)
        return;
    const fieldchangelog::StoredChange change = *chosen;
    std::unique_ptr<FrmRace> window;
    {
        BusyPointer busy;
        if (!runGuarded([&] {
                 const racewindow::MeetingHeader header = racewindow::loadMeetingHeader(change.meetingCode);
                 if (!header.found) {
                     UserDialogs::instance().information(
                         kTitle, u"The meeting %1 is no longer on file."_s.arg(change.meetingCode));
                     return false;
                 }
                 window = std::make_unique<FrmRace>(change.meetingCode, header.level, change.raceNumber, this);
                 return true;
             }).value_or(false))
            return;
        // The horse the change is about, chosen in its race (a scratched one is no longer listed).
        if (const int row = window->rowOfHorse(change.horse); row > 0) {
            window->grdRace->selectRow(row - 1);
            window->grdRace->scrollTo(window->grdRace->model()->index(row - 1, 0));
        }
    }
    window->exec();
    if (window->changedBookings())
        emit bookingsChanged();
    runGuarded([this] { reload(); });
}
