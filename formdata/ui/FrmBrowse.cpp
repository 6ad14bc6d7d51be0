#include "FrmBrowse.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
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
    // Silent: script errors of the pages are not the agent's concern.
    view->page()->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    m_view = view;
    layout->addWidget(view);
#endif
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
