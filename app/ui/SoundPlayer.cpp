#include "SoundPlayer.h"

#include "core/Sound.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

using namespace Qt::Literals::StringLiterals;

namespace {

using PlayFunction = bool (*)(const QString &resourcePath, bool async);

// The player module, loaded with the first sound: beside the program in a build tree, in the
// library folder once installed. Without it the program plays nothing.
PlayFunction player()
{
    static const PlayFunction play = []() -> PlayFunction {
        const QString dir = QCoreApplication::applicationDirPath() + u'/';
        const QStringList paths{dir + QString::fromUtf8(OSTREVAN_SOUND_FILE),
                                dir + QString::fromUtf8(OSTREVAN_MODULES_INSTALLED_DIR "/" OSTREVAN_SOUND_FILE)};
        for (const QString &path : paths) {
            if (!QFileInfo::exists(path))
                continue;
            QLibrary library(path);
            if (!library.load()) {
                qWarning("The sound module %s does not load: %s", qPrintable(path), qPrintable(library.errorString()));
                continue;
            }
            if (auto found = reinterpret_cast<PlayFunction>(library.resolve("ostrevanPlaySound")))
                return found;
        }
        return nullptr;
    }();
    return play;
}

} // namespace

void installSoundPlayer()
{
    sounds::setPlayer([](const QString &resourcePath, bool async) {
        const PlayFunction play = player();
        return play && play(resourcePath, async);
    });
}
