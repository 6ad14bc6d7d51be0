#pragma once

#include "core/UserDialogs.h"

// Messages go to stderr as "TITLE: TEXT"; questions are answered from --answer; file
// dialogs answer from the command's own arguments (none by default).
class CliDialogs final : public UserDialogs
{
public:
    explicit CliDialogs(bool answerYes) : m_answerYes(answerYes) {}

    Answer ask(const QString &title, const QString &text, Icon icon, Buttons buttons, Answer defaultAnswer) override;
    QStringList openFiles(const FileRequest &) override { return m_files; }
    QString saveFile(const FileRequest &) override { return m_files.value(0); }
    std::optional<QColor> pickColor(const QColor &, const QString &) override { return std::nullopt; }

    void setFiles(const QStringList &files) { m_files = files; }
    int messageCount() const { return m_messages; }

private:
    bool m_answerYes = false;
    QStringList m_files;
    int m_messages = 0;
};
