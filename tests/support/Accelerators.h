#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QWidget>

using namespace Qt::Literals::StringLiterals;

// The Alt+letter keys a window offers (buttons, group boxes, labels with a buddy, its menu bar's
// menus), each as "letter: caption"; two captions on one letter means neither key works.
inline QStringList duplicateAccelerators(const QWidget *window)
{
    QMultiHash<QChar, QString> byLetter;
    auto add = [&byLetter](const QString &caption) {
        for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
            if (caption.at(i) != u'&')
                continue;
            if (caption.at(i + 1) != u'&')
                byLetter.insert(caption.at(i + 1).toLower(), caption);
            break;
        }
    };
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
        add(button->text());
    for (const QGroupBox *box : window->findChildren<QGroupBox *>())
        add(box->title());
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (label->buddy())
            add(label->text());
    }
    for (const QMenuBar *bar : window->findChildren<QMenuBar *>()) {
        for (const QAction *menu : bar->actions())
            add(menu->text());
    }
    QStringList clashes;
    for (const QChar letter : byLetter.uniqueKeys()) {
        const QStringList captions = byLetter.values(letter);
        if (captions.size() > 1)
            clashes << QString(letter) + u": "_s + captions.join(u", "_s);
    }
    return clashes;
}
