#pragma once

#include <QString>

class QWidget;

// The meeting report in a print preview with Print and "Export PDF…"; a meeting without
// runners is told instead.
void showMeetingPrintPreview(QWidget *parent, const QString &meetingCode);
