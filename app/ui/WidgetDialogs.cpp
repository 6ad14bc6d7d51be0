#include "WidgetDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

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
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
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
    if (!request.extraChoice.isEmpty()) {
        // Qt's own dialog, which can carry one more button: it answers with the folder shown.
        QFileDialog dialog(parentWindow(), request.title, request.startFolder, filter);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        QString folder;
        if (auto *buttons = dialog.findChild<QDialogButtonBox *>()) {
            QPushButton *extra = buttons->addButton(request.extraChoice, QDialogButtonBox::ActionRole);
            QObject::connect(extra, &QPushButton::clicked, &dialog, [&dialog, &folder] {
                folder = dialog.directory().absolutePath();
                dialog.reject();
            });
        }
        if (dialog.exec() == QDialog::Accepted)
            return dialog.selectedFiles();
        return folder.isEmpty() ? QStringList() : QStringList{folder};
    }
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

std::optional<int> WidgetDialogs::chooseItem(const ChoiceRequest &request)
{
    QDialog dialog(parentWindow());
    dialog.setWindowTitle(request.title);
    auto *text = new QLabel(request.text, &dialog);
    text->setWordWrap(true);
    auto *search = new QLineEdit(&dialog);
    search->setPlaceholderText(u"Search"_s);
    search->setClearButtonEnabled(true);
    auto *list = new QListWidget(&dialog);
    list->addItems(request.items);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton *none = buttons->addButton(request.noneChoice, QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(search);
    layout->addWidget(list);
    layout->addWidget(buttons);

    // Typing narrows the list to the items holding the text, and the first of them is chosen.
    QObject::connect(search, &QLineEdit::textChanged, &dialog, [list](const QString &typed) {
        QListWidgetItem *first = nullptr;
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem *item = list->item(i);
            item->setHidden(!item->text().contains(typed.trimmed(), Qt::CaseInsensitive));
            if (!first && !item->isHidden())
                first = item;
        }
        list->setCurrentItem(first);
    });
    bool noneChosen = false;
    QObject::connect(none, &QPushButton::clicked, &dialog, [&dialog, &noneChosen] {
        noneChosen = true;
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    search->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    if (noneChosen)
        return kNoneChosen;
    if (!list->currentItem() || list->currentItem()->isHidden())
        return std::nullopt;
    return list->currentRow();
}
