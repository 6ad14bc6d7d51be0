#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>

// Every message box and file/colour dialog of the system goes through this seam, so that
// the desktop shows real dialogs, the CLI prints and answers from its options, and tests
// script the user's answers.
class UserDialogs
{
public:
    enum class Icon { None, Critical, Question, Exclamation, Information };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    struct FileRequest {
        QString title;
        QString filter; // "Description|pattern|Description|pattern" as the system writes it
        QString startFolder;
        bool multiSelect = false;
        QString suggestedName; // save dialogs only
        // Open dialogs only: the caption of one more way out, which gives the folder being shown
        // instead of a file (empty: none).
        QString extraChoice;
    };

    // A choice of one item from a list the agent can search, or of none of them.
    struct ChoiceRequest {
        QString title;
        QString text;
        QStringList items;
        QString noneChoice; // caption of the answer "none of these"
    };
    static constexpr int kNoneChosen = -1;

    virtual ~UserDialogs() = default;

    Answer message(const QString &title, const QString &text, Icon icon, Buttons buttons = Buttons::Ok,
                   Answer defaultAnswer = Answer::Ok)
    {
        return ask(title, text, icon, buttons, defaultAnswer);
    }
    // Chosen files with full paths; empty when cancelled.
    virtual QStringList openFiles(const FileRequest &request) = 0;
    // Chosen path; empty when cancelled.
    virtual QString saveFile(const FileRequest &request) = 0;
    virtual std::optional<QColor> pickColor(const QColor &initial, const QString &title) = 0;
    // The index of the chosen item, kNoneChosen for the "none" answer, nullopt when cancelled.
    // Where nobody can choose (the command line) nothing is chosen.
    virtual std::optional<int> chooseItem(const ChoiceRequest &) { return std::nullopt; }

    // Shortcuts for the common shapes.
    void critical(const QString &title, const QString &text) { message(title, text, Icon::Critical); }
    void information(const QString &title, const QString &text) { message(title, text, Icon::Information); }
    bool askYesNo(const QString &title, const QString &text, Icon icon = Icon::Question,
                  Answer defaultAnswer = Answer::Yes)
    {
        return message(title, text, icon, Buttons::YesNo, defaultAnswer) == Answer::Yes;
    }

    // The program-wide instance; never null (a silent implementation answers No/Ok until one is installed).
    static UserDialogs &instance();
    static void setInstance(UserDialogs *dialogs);

protected:
    virtual Answer ask(const QString &title, const QString &text, Icon icon, Buttons buttons, Answer defaultAnswer) = 0;
};

// Turns "Text files|*.txt;*.csv|All|*.*" into Qt's "Text files (*.txt *.csv);;All (*.*)".
QString toQtFileFilter(const QString &pipeFilter);
