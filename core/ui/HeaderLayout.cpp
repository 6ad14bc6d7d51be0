#include "HeaderLayout.h"

#include "core/cAppSettings.h"

#include <QHeaderView>
#include <QSplitter>
#include <QWidget>

#include <algorithm>

void applyHeaderLayout(QHeaderView *header, const QString &orderText, const QString &widthText)
{
    const int count = header->count();
    const QList<int> widths = layout::parseList(widthText, count);
    for (int i = 0; i < count; ++i)
        if (widths.at(i) > 0)
            header->resizeSection(i, widths.at(i));

    // Place columns in order of their target position, so that a saved permutation comes back exactly.
    const QList<int> order = layout::parseList(orderText, count);
    QList<int> columns;
    for (int i = 0; i < count; ++i)
        if (order.at(i) > 0)
            columns << i;
    std::stable_sort(columns.begin(), columns.end(), [&order](int a, int b) { return order.at(a) < order.at(b); });
    for (int column : std::as_const(columns)) {
        const int target = qMin(order.at(column), count) - 1;
        header->moveSection(header->visualIndex(column), target);
    }
}

QString headerOrderList(const QHeaderView *header)
{
    QList<int> entries;
    for (int i = 0; i < header->count(); ++i)
        entries << header->visualIndex(i) + 1;
    return layout::formatList(entries);
}

QString headerWidthList(const QHeaderView *header)
{
    QList<int> entries;
    for (int i = 0; i < header->count(); ++i)
        entries << header->sectionSize(i);
    return layout::formatList(entries);
}

void applySplitterSizes(QSplitter *splitter, const QString &sizesText)
{
    const QList<int> sizes = layout::parseList(sizesText, splitter->count());
    // A pane of no size would be lost to the agent: such a list is left alone.
    if (std::all_of(sizes.cbegin(), sizes.cend(), [](int size) { return size > 0; }))
        splitter->setSizes(sizes);
}

QString splitterSizesList(const QSplitter *splitter)
{
    return layout::formatList(splitter->sizes());
}

void applyPlacement(QWidget *window, const layout::Placement &placement)
{
    if (placement.maximised) {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
        return;
    }
    QRect geometry = window->geometry();
    if (placement.left > 0)
        geometry.moveLeft(placement.left);
    if (placement.top > 0)
        geometry.moveTop(placement.top);
    if (placement.width > 0)
        geometry.setWidth(placement.width);
    if (placement.height > 0)
        geometry.setHeight(placement.height);
    window->setGeometry(geometry);
}

layout::Placement placementOf(const QWidget *window)
{
    // Stored even when maximised: the normal geometry is what a restore returns to.
    const QRect geometry = window->isMaximized() ? window->normalGeometry() : window->geometry();
    return {geometry.left(), geometry.top(), geometry.width(), geometry.height(), window->isMaximized()};
}

void restoreGridWindow(QWidget *window, QHeaderView *header, const StoredGridWindow &stored)
{
    applyPlacement(window, {*stored.left, *stored.top, *stored.windowWidth, *stored.height, *stored.max});
    applyHeaderLayout(header, *stored.order, *stored.width);
}

void storeGridWindow(const QWidget *window, const QHeaderView *header, const StoredGridWindow &stored)
{
    *stored.order = headerOrderList(header);
    *stored.width = headerWidthList(header);
    const layout::Placement placement = placementOf(window);
    *stored.max = placement.maximised;
    if (!placement.maximised) {
        *stored.left = placement.left;
        *stored.top = placement.top;
        *stored.windowWidth = placement.width;
        *stored.height = placement.height;
    }
    cAppSettings::instance().SaveSettings();
}
