// The sound player, built as a module of its own: the program loads it with the first sound, so
// that launching does not map the media libraries and their codecs before the first window.
#include <QAudioDevice>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

extern "C" {

// Plays a compiled-in sound (":/sounds/..."); false where the machine has no audio device.
Q_DECL_EXPORT bool ostrevanPlaySound(const QString &resourcePath, bool async)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        return false;
    auto *effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(QUrl(u"qrc"_s + resourcePath));
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error)
            effect->deleteLater();
        else if (effect->status() == QSoundEffect::Ready)
            effect->play();
    });
    if (!async) {
        QEventLoop loop;
        QObject::connect(effect, &QObject::destroyed, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // extern "C"
