#pragma once

#include <QStringList>

class InvoiceReport;
class QWidget;

// Shows the invoice in a print preview with Print, "Export PDF…" and "Export CSV…"; returns
// when the agent closes it, with what left the program: "printed on LaserJet", "exported to
// /home/agent/Invoice 41 J ONE.pdf", in the order they were made (empty when nothing was).
// Failures to print or export are reported as messages and are not in the list.
QStringList showInvoicePreview(const InvoiceReport &report, QWidget *parent);
