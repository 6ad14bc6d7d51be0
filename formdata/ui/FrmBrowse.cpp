#include "FrmBrowse.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#ifdef OSTREVAN_HAVE_WEBENGINE
#include <unistd.h>

#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

FrmBrowse::Presenter &presenter()
{
    static FrmBrowse::Presenter instance;
    return instance;
}

} // namespace

void FrmBrowse::setPresenter(Presenter p)
{
    presenter() = std::move(p);
}

FrmBrowse::FrmBrowse(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FrmBrowse"_s);
    setWindowTitle(u"Browser Title"_s);
    resize(900, 700);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
#ifdef OSTREVAN_HAVE_WEBENGINE
    // The browser engine's sandbox refuses to start for the superuser.
    if (::getuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    auto *view = new QWebEngineView(this);
    view->setObjectName(u"WebBrowser1"_s);
    // A site that cannot be reached shows the browser's own error page, never a blank window.
    view->page()->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    m_view = view;
    layout->addWidget(view, 1);
#endif
    cmdClose = new QPushButton(u"Close"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(6, 4, 6, 6);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    // The page has the keyboard: Escape closes the window whatever the page does with keys.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QDialog::reject);
}

void FrmBrowse::navigate(const QUrl &url)
{
    m_url = url;
#ifdef OSTREVAN_HAVE_WEBENGINE
    static_cast<QWebEngineView *>(m_view)->setUrl(url);
#endif
}

void FrmBrowse::showPage(QWidget *parent, const QString &caption, const QUrl &url, bool largeNearTop)
{
    if (presenter()) {
        presenter()(caption, url);
        return;
    }
#ifdef OSTREVAN_HAVE_WEBENGINE
    FrmBrowse window(parent);
    window.setWindowTitle(caption);
    window.navigate(url);
    if (largeNearTop) {
        const QRect screen = (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
        window.setGeometry(screen.left() + 40, screen.top() + 20, qMin(1100, screen.width() - 80),
                           qMin(800, screen.height() - 40));
    }
    window.exec();
#else
    Q_UNUSED(parent);
    Q_UNUSED(caption);
    Q_UNUSED(largeNearTop);
    QDesktopServices::openUrl(url);
#endif
}
