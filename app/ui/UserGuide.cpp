#include "UserGuide.h"

#include "core/Paths.h"
#include "core/UserDialogs.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

QWidget *openUserGuide(QWidget *parent, const QString &folder)
{
    const QString file = QDir(folder).filePath(u"guide.md"_s);
    if (folder.isEmpty() || !QFileInfo(file).isFile())
        return nullptr;
    auto *window = new QDialog(parent, Qt::Window);
    window->setObjectName(u"frmUserGuide"_s);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(u"Ostrevan 2 User Guide"_s);
    auto *browser = new QTextBrowser(window);
    browser->setObjectName(u"txtGuide"_s);
    browser->setOpenExternalLinks(true);
    // The pictures are named relative to the guide, so the browser reads them from its folder.
    browser->setSource(QUrl::fromLocalFile(file), QTextDocument::MarkdownResource);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    window->resize(900, 760);
    window->show();
    return window;
}

void openUserGuide(QWidget *parent)
{
    const QString folder = sharedDataFolder();
    if (!openUserGuide(parent, folder))
        UserDialogs::instance().information(
            u"User Guide"_s,
            u"The user guide is not installed: guide.md was looked for in share/ostrevan beside "
            "the program and in the system's data folders (%1)."_s.arg(folder.isEmpty() ? u"none found"_s : folder));
}
