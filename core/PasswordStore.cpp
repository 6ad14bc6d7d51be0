#include "PasswordStore.h"

#include "QueryCredentials.h"
#include "cAppSettings.h"

#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

using namespace Qt::Literals::StringLiterals;

namespace passwordstore {

namespace {

const QString kService = u"Ostrevan"_s;
const QString kKey = u"DataServer/UserPass"_s;

// Runs a keychain job to its end; a service that does not answer within a few seconds counts
// as no keychain.
bool runJob(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    job.setKey(kKey);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(4000, &loop, &QEventLoop::quit);
    job.start();
    if (!finished)
        loop.exec();
    return finished && job.error() == QKeychain::NoError;
}

} // namespace

bool keychainWanted()
{
    return qEnvironmentVariableIsEmpty("OSTREVAN_SETTINGS") && qEnvironmentVariableIsEmpty("OSTREVAN_NO_KEYCHAIN");
}

std::optional<QString> readKeychain()
{
    if (!keychainWanted())
        return std::nullopt;
    QKeychain::ReadPasswordJob job(kService);
    if (!runJob(job))
        return std::nullopt;
    return job.textData();
}

bool writeKeychain(const QString &password)
{
    if (!keychainWanted())
        return false;
    QKeychain::WritePasswordJob job(kService);
    job.setTextData(password);
    return runJob(job);
}

void adoptKeychainPassword()
{
    if (!keychainWanted())
        return;
    cAppSettings &settings = cAppSettings::instance();
    if (!settings.UserPass.isEmpty()) {
        // An older installation's password: into the keychain, out of the plain store.
        if (writeKeychain(settings.UserPass)) {
            QueryCredentials::current().password = settings.UserPass;
            settings.UserPass.clear();
            settings.SaveSettings();
        }
        return;
    }
    if (const std::optional<QString> stored = readKeychain())
        QueryCredentials::current().password = *stored;
}

void storePassword(const QString &password)
{
    cAppSettings &settings = cAppSettings::instance();
    settings.UserPass = writeKeychain(password) ? QString() : password;
    QueryCredentials::current().password = password;
}

} // namespace passwordstore
