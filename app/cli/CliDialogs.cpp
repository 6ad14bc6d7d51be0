#include "CliDialogs.h"

#include <cstdio>

UserDialogs::Answer CliDialogs::ask(const QString &title, const QString &text, Icon, Buttons buttons, Answer)
{
    ++m_messages;
    QString oneLine = text;
    oneLine.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(oneLine));
    if (buttons == Buttons::YesNo) {
        std::fprintf(stderr, "  -> %s\n", m_answerYes ? "Yes" : "No");
        return m_answerYes ? Answer::Yes : Answer::No;
    }
    return Answer::Ok;
}
