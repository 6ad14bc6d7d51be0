#include "SoundPlayer.h"

#include "core/Sound.h"

#include <QCoreApplication>
#include <QAudioDevice>
#include <QEventLoop>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

void installSoundPlayer()
{
    sounds::setPlayer([](const QString &resourcePath, bool async) {
        if (QMediaDevices::audioOutputs().isEmpty())
            return false;
        auto *effect = new QSoundEffect(QCoreApplication::instance());
        effect->setSource(QUrl(QStringLiteral("qrc") + resourcePath));
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
    });
}
