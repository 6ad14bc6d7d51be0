#include "UserDialogs.h"
#include "ThreadDialogs.h"

using namespace Qt::Literals::StringLiterals;

namespace {
class SilentDialogs final : public UserDialogs
{
public:
    Answer ask(const QString &, const QString &, Icon, Buttons buttons, Answer) override
    {
        return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    QStringList openFiles(const FileRequest &) override { return {}; }
    QString saveFile(const FileRequest &) override { return {}; }
    std::optional<QColor> pickColor(const QColor &, const QString &) override { return std::nullopt; }
};

SilentDialogs silentDialogs;
UserDialogs *current = &silentDialogs;
thread_local UserDialogs *threadCurrent = nullptr;
} // namespace

UserDialogs &UserDialogs::instance()
{
    return threadCurrent ? *threadCurrent : *current;
}

void setThreadUserDialogs(UserDialogs *dialogs)
{
    threadCurrent = dialogs;
}

void UserDialogs::setInstance(UserDialogs *dialogs)
{
    current = dialogs ? dialogs : &silentDialogs;
}

QString toQtFileFilter(const QString &pipeFilter)
{
    const QStringList parts = pipeFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        const QString patterns = parts.at(i + 1).trimmed();
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        QString joined = patterns;
        joined.replace(u';', u' ');
        // Qt takes the patterns from the last parenthesis, whatever the description says.
        filters << description + u" ("_s + joined + u')';
    }
    return filters.join(u";;"_s);
}
