#pragma once

class InvoiceReport;
class QWidget;

// Shows the invoice in a print preview with Print, "Export PDF…" and "Export CSV…"; returns
// when the agent closes it. Failures to print or export are reported as messages; false when
// the invoice could not be printed.
bool showInvoicePreview(const InvoiceReport &report, QWidget *parent);
