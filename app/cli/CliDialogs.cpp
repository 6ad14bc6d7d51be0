#include "CliDialogs.h"

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

UserDialogs::Answer CliDialogs::ask(const QString &title, const QString &text, Icon, Buttons buttons, Answer)
{
    ++m_messages;
    QString oneLine = text;
    oneLine.replace("\r\n"_L1, "\n"_L1).replace(u'\r', u'\n');
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(oneLine));
    if (buttons == Buttons::YesNo) {
        std::fprintf(stderr, "  -> %s\n", m_answerYes ? "Yes" : "No");
        return m_answerYes ? Answer::Yes : Answer::No;
    }
    return Answer::Ok;
}
