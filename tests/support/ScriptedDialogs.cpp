#include "ScriptedDialogs.h"

using namespace Qt::Literals::StringLiterals;

ScriptedDialogs::ScriptedDialogs()
{
    UserDialogs::setInstance(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    UserDialogs::setInstance(nullptr);
}

UserDialogs::Answer ScriptedDialogs::ask(const QString &title, const QString &text, Icon icon, Buttons buttons,
                                         Answer defaultAnswer)
{
    messages.append({title, text, icon, buttons, defaultAnswer});
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return m_answers.isEmpty() ? Answer::No : m_answers.dequeue();
}

QStringList ScriptedDialogs::openFiles(const FileRequest &request)
{
    fileRequests.append(request);
    return m_files.isEmpty() ? QStringList() : m_files.dequeue();
}

QString ScriptedDialogs::saveFile(const FileRequest &request)
{
    fileRequests.append(request);
    return m_saveFiles.isEmpty() ? QString() : m_saveFiles.dequeue();
}

std::optional<QColor> ScriptedDialogs::pickColor(const QColor &, const QString &)
{
    if (m_colors.isEmpty())
        return std::nullopt;
    return m_colors.dequeue();
}

std::optional<int> ScriptedDialogs::chooseItem(const ChoiceRequest &request)
{
    choiceRequests.append(request);
    if (m_choices.isEmpty())
        return std::nullopt;
    const std::optional<QString> item = m_choices.dequeue();
    if (!item)
        return std::nullopt;
    if (*item == request.noneChoice)
        return kNoneChosen;
    const qsizetype index = request.items.indexOf(*item);
    return index < 0 ? std::nullopt : std::optional<int>(int(index));
}

void ScriptedDialogs::answerYes(int times)
{
    while (times-- > 0)
        m_answers.enqueue(Answer::Yes);
}

void ScriptedDialogs::answerNo(int times)
{
    while (times-- > 0)
        m_answers.enqueue(Answer::No);
}

QStringList ScriptedDialogs::shown() const
{
    QStringList lines;
    for (const Message &message : messages)
        lines << message.title + u'|' + message.text;
    return lines;
}
