#pragma once

#include <QString>

#include <functional>

using namespace Qt::Literals::StringLiterals;

// The program's sounds, named as the system names them; they are compiled-in resources.
namespace sounds {
inline const QString kSplash = u"horse-gallop.wav"_s;
inline const QString kFieldsLoaded = u"Bubble.wav"_s;
inline const QString kFileError = u"Error.Wav"_s;
inline const QString kSorted = u"Utopia Open.wav"_s;

// Resource path of a sound name (a leading "\" or "/" is ignored).
QString resourcePath(const QString &name);

// Plays a sound through the installed player; without one (CLI, tests) nothing is played.
// Returns true when the sound could be started.
bool playSound(const QString &name, bool async = true);

using Player = std::function<bool(const QString &resourcePath, bool async)>;
void setPlayer(Player player);
} // namespace sounds
