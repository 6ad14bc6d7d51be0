#include "PasswordStore.h"

#include "QueryCredentials.h"
#include "cAppSettings.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <memory>

#include <qt6keychain/keychain.h>

using namespace Qt::Literals::StringLiterals;

namespace passwordstore {

namespace {

const QString kService = u"Ostrevan"_s;
const QString kKey = u"DataServer/UserPass"_s;

struct JobOutcome {
    bool ok = false;
    QString text;
};

// Runs a keychain job to its end; a service that does not answer within a few seconds counts
// as no keychain. The job deletes itself when it finishes, so one abandoned here cannot answer
// into a frame that is gone.
JobOutcome runJob(QKeychain::Job *job)
{
    auto outcome = std::make_shared<std::optional<JobOutcome>>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    job->setAutoDelete(true);
    job->setKey(kKey);
    QObject::connect(job, &QKeychain::Job::finished, job, [outcome, waiting](QKeychain::Job *done) {
        JobOutcome result{done->error() == QKeychain::NoError, {}};
        if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(done))
            result.text = read->textData();
        *outcome = result;
        if (waiting)
            waiting->quit();
    });
    QTimer::singleShot(4000, &loop, &QEventLoop::quit);
    job->start();
    if (!outcome->has_value())
        loop.exec();
    return outcome->value_or(JobOutcome{});
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
    const JobOutcome outcome = runJob(new QKeychain::ReadPasswordJob(kService));
    if (!outcome.ok)
        return std::nullopt;
    return outcome.text;
}

bool writeKeychain(const QString &password)
{
    if (!keychainWanted())
        return false;
    auto *job = new QKeychain::WritePasswordJob(kService);
    job->setTextData(password);
    return runJob(job).ok;
}

void loadQueryCredentials()
{
    cAppSettings &settings = cAppSettings::instance();
    QueryCredentials::current() = {settings.UserName, settings.UserPass};
    if (!keychainWanted())
        return;
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
