#pragma once

#include "core/UserDialogs.h"

#include <QList>
#include <QQueue>

// The user's side of every dialog, scripted: records each message and answers from queues.
// An unscripted question answers No; an unscripted file dialog is cancelled.
class ScriptedDialogs final : public UserDialogs
{
public:
    struct Message {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
        Answer defaultAnswer;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    Answer ask(const QString &title, const QString &text, Icon icon, Buttons buttons, Answer defaultAnswer) override;
    QStringList openFiles(const FileRequest &request) override;
    QString saveFile(const FileRequest &request) override;
    std::optional<QColor> pickColor(const QColor &initial, const QString &title) override;
    std::optional<int> chooseItem(const ChoiceRequest &request) override;

    void answerYes(int times = 1);
    void answerNo(int times = 1);
    // Answers scripted but not asked for are dropped, so they cannot answer a later question.
    void forgetAnswers() { m_answers.clear(); }
    void chooseFiles(const QStringList &files) { m_files.enqueue(files); }
    void chooseSaveFile(const QString &file) { m_saveFiles.enqueue(file); }
    void chooseColor(const QColor &color) { m_colors.enqueue(color); }
    // The next list choice: the item with this text, the "none" caption, or nullopt (cancelled).
    void chooseListItem(const std::optional<QString> &item) { m_choices.enqueue(item); }

    // Every message so far as "title|text", for comparing all of them in one line.
    QStringList shown() const;

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    QList<ChoiceRequest> choiceRequests;

private:
    QQueue<Answer> m_answers;
    QQueue<QStringList> m_files;
    QQueue<QString> m_saveFiles;
    QQueue<QColor> m_colors;
    QQueue<std::optional<QString>> m_choices;
};
