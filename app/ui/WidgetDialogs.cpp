#include "WidgetDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace {
QWidget *parentWindow()
{
    return QApplication::activeWindow();
}
} // namespace

UserDialogs::Answer WidgetDialogs::ask(const QString &title, const QString &text, Icon icon, Buttons buttons,
                                           Answer defaultAnswer)
{
    QMessageBox box(parentWindow());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(defaultAnswer == Answer::No ? QMessageBox::No : QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

QStringList WidgetDialogs::openFiles(const FileRequest &request)
{
    const QString filter = toQtFileFilter(request.filter);
    if (request.multiSelect)
        return QFileDialog::getOpenFileNames(parentWindow(), request.title, request.startFolder, filter);
    const QString file = QFileDialog::getOpenFileName(parentWindow(), request.title, request.startFolder, filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

QString WidgetDialogs::saveFile(const FileRequest &request)
{
    const QString start = request.suggestedName.isEmpty() ? request.startFolder
                                                          : QDir(request.startFolder).filePath(request.suggestedName);
    return QFileDialog::getSaveFileName(parentWindow(), request.title, start, toQtFileFilter(request.filter));
}

std::optional<QColor> WidgetDialogs::pickColor(const QColor &initial, const QString &title)
{
    const QColor chosen = QColorDialog::getColor(initial, parentWindow(), title);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}
