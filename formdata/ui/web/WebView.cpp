// The browser engine's view, built as a module of its own: the application loads it the first
// time a page is shown, so that launching does not pay for loading the engine.
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <unistd.h>

extern "C" {

Q_DECL_EXPORT QWidget *ostrevanCreateWebView(QWidget *parent)
{
    // The browser engine's sandbox refuses to start for the superuser.
    if (::getuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    auto *view = new QWebEngineView(parent);
    // A site that cannot be reached shows the browser's own error page, never a blank window.
    view->page()->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    return view;
}

Q_DECL_EXPORT void ostrevanWebViewNavigate(QWidget *view, const QUrl &url)
{
    static_cast<QWebEngineView *>(view)->setUrl(url);
}

} // extern "C"
