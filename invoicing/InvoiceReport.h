#pragma once

#include "JockeyInvoice.h"

class QPagedPaintDevice;

// The jockey invoice drawn by code: page header, one line a ride, the footer lines that are
// shown (closed up), page "n of m". The same drawing goes to a printer, the print preview
// and a PDF file; the CSV export carries the ride lines and the footer figures.
class InvoiceReport
{
public:
    explicit InvoiceReport(JockeyInvoice invoice) : m_invoice(std::move(invoice)) {}

    const JockeyInvoice &invoice() const { return m_invoice; }

    // Draws every page on the device; returns the number of pages (0 when it cannot paint).
    int paint(QPagedPaintDevice *device) const;
    // The number of pages the device would get.
    int pageCount(QPagedPaintDevice *device) const;

    bool writePdf(const QString &path, QString *why) const;
    QString csvText() const;
    bool writeCsv(const QString &path, QString *why) const;

private:
    struct Page {
        qsizetype firstRide = 0;
        qsizetype rideCount = 0;
        bool footer = false;
    };
    QList<Page> paginate(double pageHeight, double headerHeight, double footerNeeds) const;

    JockeyInvoice m_invoice;
};
