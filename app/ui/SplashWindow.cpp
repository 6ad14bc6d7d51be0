#include "SplashWindow.h"

#include "MainWindow.h"
#include "app/Startup.h"
#include "core/Sound.h"
#include "core/Version.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {
// A horseshoe over the track's rail, drawn rather than shipped as an image.
QPixmap drawLogo()
{
    QPixmap pixmap(120, 90);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 12, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRect(25, 8, 70, 70), 210 * 16, -240 * 16);
    painter.setPen(QPen(QColor(0x2e, 0x8b, 0x57), 4));
    painter.drawLine(5, 84, 115, 84);
    return pixmap;
}
} // namespace

SplashWindow::SplashWindow(QWidget *parent) : QWidget(parent, Qt::SplashScreen)
{
    setObjectName(u"frmSplash"_s);
    auto *layout = new QVBoxLayout(this);
    auto *logo = new QLabel(this);
    logo->setObjectName(u"imgLogo"_s);
    logo->setPixmap(drawLogo());
    logo->setAlignment(Qt::AlignCenter);
    auto *title = new QLabel(u"The Ostrevan 2"_s, this);
    title->setObjectName(u"lblProductName"_s);
    QFont titleFont = title->font();
    titleFont.setPointSize(22);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName(u"lblVersion"_s);
    lblVersion->setAlignment(Qt::AlignCenter);
    lblPlatform = new QLabel(this);
    lblPlatform->setObjectName(u"lblPlatform"_s);
    lblStatus = new QLabel(u"Starting up..."_s, this);
    lblStatus->setObjectName(u"lblStatus"_s);
    layout->addWidget(logo);
    layout->addWidget(title);
    layout->addWidget(lblVersion);
    layout->addWidget(lblPlatform);
    layout->addWidget(lblStatus);
    resize(420, 300);

    TmrSplash = new QTimer(this);
    TmrSplash->setObjectName(u"TmrSplash"_s);
    // No fixed wait: the main window loads as soon as the splash has been drawn; the splash stays
    // up, naming each step, for as long as the work takes.
    TmrSplash->setInterval(0);
    TmrSplash->setSingleShot(true);
    connect(TmrSplash, &QTimer::timeout, this, &SplashWindow::openMainWindow);
    StatusSink::setInstance(this);
}

SplashWindow::~SplashWindow()
{
    if (StatusSink::instance() == this)
        StatusSink::setInstance(nullptr);
}

void SplashWindow::showStatus(const QString &text)
{
    lblStatus->setText(text + u"..."_s);
    QCoreApplication::processEvents();
}

void SplashWindow::load()
{
    startup::loadForSplash();
    TmrSplash->start();
    lblVersion->setText(u"Version "_s + version::dotted());
    lblPlatform->clear();
}

void SplashWindow::keyPressEvent(QKeyEvent *event)
{
    openMainWindow();
    event->accept();
}

void SplashWindow::openMainWindow()
{
    // The timer and a key press can both arrive while the main window loads: open it once.
    if (m_opening)
        return;
    m_opening = true;
    TmrSplash->stop();
    MainWindow *window = MainWindow::instance();
    // A loaded main window takes the status messages over; the splash hears no more of them.
    const bool ready = window->load();
    if (StatusSink::instance() == this)
        StatusSink::setInstance(nullptr);
    close();
    emit finished(ready ? window : nullptr);
    if (!ready) {
        window->deleteLater();
        QCoreApplication::exit(0);
        return;
    }
    // The start sound comes with the window: loading the player before it would hold the window back.
    sounds::playSound(sounds::kSplash, true);
}
