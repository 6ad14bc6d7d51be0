#pragma once

#include "bookings/BookingHistory.h"

#include <QDialog>

using namespace Qt::Literals::StringLiterals;

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

// "Booking History": every change of a horse's or a jockey's bookings, oldest first, with where
// it came from. Read-only; not modal, so the agent can read it beside the lists.
class FrmBookingHistory final : public QDialog
{
    Q_OBJECT
public:
    explicit FrmBookingHistory(const bookinghistory::Filter &filter, QWidget *parent = nullptr);

    // The program's one history window, opened or raised on the filter.
    static FrmBookingHistory *showFor(QWidget *parent, const bookinghistory::Filter &filter);

    void setFilter(const bookinghistory::Filter &filter);
    void reload();

    QLabel *lblFilter = nullptr;
    QTableView *grdHistory = nullptr;
    QPushButton *cmdClose = nullptr;

    static inline const QString kTitle = u"Booking History"_s;

private:
    bookinghistory::Filter m_filter;
    QStandardItemModel *m_model = nullptr;
};
