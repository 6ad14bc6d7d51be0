#pragma once

#include "RideSheet.h"

#include <memory>

class QPagedPaintDevice;
class QTextDocument;

// The printed ride sheets: a page for each jockey (longer lists run on), headed by the business's
// name, the jockey and the days, then the rides in start order with their warnings.
class RideSheetReport
{
public:
    RideSheetReport(QList<Ride> rides, QString company, QDate first, int days);
    ~RideSheetReport();

    const QList<Ride> &rides() const { return m_rides; }
    // The jockeys that get a page, in page order.
    QStringList jockeys() const;

    void print(QPagedPaintDevice *device) const;
    bool writePdf(const QString &path, QString *why) const;

private:
    std::unique_ptr<QTextDocument> document() const;

    QList<Ride> m_rides;
    QString m_company;
    QDate m_first;
    int m_days;
};
