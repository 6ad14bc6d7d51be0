#pragma once

#include <QString>

class QHeaderView;
class QSplitter;
class QWidget;

#include "core/ColumnLayout.h"

// Applies and reads the stored column layout lists of a grid's header: column i's display
// position and width, each entry applied only when greater than 0.
void applyHeaderLayout(QHeaderView *header, const QString &orderText, const QString &widthText);
QString headerOrderList(const QHeaderView *header);
QString headerWidthList(const QHeaderView *header);

// A splitter's stored pane sizes, the same list form: applied only when every entry is greater than 0.
void applySplitterSizes(QSplitter *splitter, const QString &sizesText);
QString splitterSizesList(const QSplitter *splitter);

// A window's stored placement: maximised wins; otherwise each value only when greater than 0.
void applyPlacement(QWidget *window, const layout::Placement &placement);
layout::Placement placementOf(const QWidget *window);

// Where a window with one grid keeps its layout in the settings.
struct StoredGridWindow {
    QString *order, *width;
    qint32 *left, *top, *windowWidth, *height;
    bool *max;
};
// Puts the window and its grid's columns where they were stored.
void restoreGridWindow(QWidget *window, QHeaderView *header, const StoredGridWindow &stored);
// Stores the columns and the window's place, then saves the settings. A maximised window keeps
// the normal place it had.
void storeGridWindow(const QWidget *window, const QHeaderView *header, const StoredGridWindow &stored);
