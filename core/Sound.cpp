#include "Sound.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace sounds {
namespace {
Player &player()
{
    static Player instance;
    return instance;
}
} // namespace

QString resourcePath(const QString &name)
{
    QString bare = name;
    while (bare.startsWith(u'\\') || bare.startsWith(u'/'))
        bare.remove(0, 1);
    return u":/sounds/"_s + bare;
}

bool playSound(const QString &name, bool async)
{
    const QString path = resourcePath(name);
    if (!player() || !QFile::exists(path))
        return false;
    return player()(path, async);
}

void setPlayer(Player newPlayer)
{
    player() = std::move(newPlayer);
}
} // namespace sounds
