#pragma once

#include <QString>

#include <functional>

// The program's sounds, named as the system names them; they are compiled-in resources.
namespace sounds {
inline const QString kSplash = QStringLiteral("horse-gallop.wav");
inline const QString kFieldsLoaded = QStringLiteral("Bubble.wav");
inline const QString kFileError = QStringLiteral("Error.Wav");
inline const QString kSorted = QStringLiteral("Utopia Open.wav");

// Resource path of a sound name (a leading "\" or "/" is ignored).
QString resourcePath(const QString &name);

// Plays a sound through the installed player; without one (CLI, tests) nothing is played.
// Returns true when the sound could be started.
bool playSound(const QString &name, bool async = true);

using Player = std::function<bool(const QString &resourcePath, bool async)>;
void setPlayer(Player player);
} // namespace sounds
