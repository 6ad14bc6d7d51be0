#pragma once

#include "core/UserDialogs.h"

class QWidget;

// The desktop's dialogs: standard message boxes, file and colour dialogs, a searchable list.
class WidgetDialogs final : public UserDialogs
{
public:
    Answer ask(const QString &title, const QString &text, Icon icon, Buttons buttons, Answer defaultAnswer) override;
    QStringList openFiles(const FileRequest &request) override;
    QString saveFile(const FileRequest &request) override;
    std::optional<QColor> pickColor(const QColor &initial, const QString &title) override;
    std::optional<int> chooseItem(const ChoiceRequest &request) override;
};
