#include "FrmBrowse.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLibrary>
#include <QOpenGLContext>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

// Qt's own setter of the context that every window's OpenGL context shares.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

using namespace Qt::Literals::StringLiterals;

namespace {

FrmBrowse::Presenter &presenter()
{
    static FrmBrowse::Presenter instance;
    return instance;
}

// The browser engine lives in a module loaded on the first page: loading it costs about as much
// as the rest of launching. Without the module, pages open in the system browser.
struct WebModule {
    QWidget *(*create)(QWidget *parent) = nullptr;
    void (*navigate)(QWidget *view, const QUrl &url) = nullptr;
};

const WebModule &webModule()
{
    static const WebModule module = [] {
        WebModule found;
        QStringList paths;
        if (qEnvironmentVariableIsSet("OSTREVAN_WEBVIEW_MODULE")) {
            paths << qEnvironmentVariable("OSTREVAN_WEBVIEW_MODULE");
        } else {
            // Beside the program in a build tree, in the library folder once installed.
            const QString dir = QCoreApplication::applicationDirPath() + u'/';
            paths << dir + QString::fromUtf8(OSTREVAN_WEBVIEW_FILE)
                  << dir + QString::fromUtf8(OSTREVAN_WEBVIEW_INSTALLED_DIR "/" OSTREVAN_WEBVIEW_FILE);
        }
        for (const QString &path : std::as_const(paths)) {
            if (!QFileInfo::exists(path))
                continue;
            // The engine draws through a context shared with the windows', which it expects when it
            // loads. A program linked with the engine has it made at launch; this one only now.
            if (!QOpenGLContext::globalShareContext()) {
                auto *context = new QOpenGLContext(qApp);
                context->setFormat(QSurfaceFormat::defaultFormat());
                context->create();
                qt_gl_set_global_share_context(context);
            }
            QLibrary library(path);
            if (!library.load()) {
                qWarning("The browser module %s does not load: %s", qPrintable(path),
                         qPrintable(library.errorString()));
                continue;
            }
            found.create = reinterpret_cast<decltype(found.create)>(library.resolve("ostrevanCreateWebView"));
            found.navigate = reinterpret_cast<decltype(found.navigate)>(library.resolve("ostrevanWebViewNavigate"));
            if (found.create && found.navigate)
                break;
            found = {};
        }
        return found;
    }();
    return module;
}

} // namespace

bool FrmBrowse::canShowPages()
{
    return webModule().create != nullptr;
}

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
    if (canShowPages()) {
        m_view = webModule().create(this);
        m_view->setObjectName(u"WebBrowser1"_s);
        layout->addWidget(m_view, 1);
    }
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
    if (m_view)
        webModule().navigate(m_view, url);
}

void FrmBrowse::showPage(QWidget *parent, const QString &caption, const QUrl &url, bool largeNearTop)
{
    if (presenter()) {
        presenter()(caption, url);
        return;
    }
    if (!canShowPages()) {
        QDesktopServices::openUrl(url);
        return;
    }
    FrmBrowse window(parent);
    window.setWindowTitle(caption);
    window.navigate(url);
    if (largeNearTop) {
        const QRect screen = (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
        window.setGeometry(screen.left() + 40, screen.top() + 20, qMin(1100, screen.width() - 80),
                           qMin(800, screen.height() - 40));
    }
    window.exec();
}
