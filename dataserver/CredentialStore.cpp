#include "CredentialStore.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <sqlite3.h>

#include <optional>
#include <vector>

namespace {

std::vector<unsigned char> pbkdf2(const std::string &password, const unsigned char *salt, int saltLen, int iterations)
{
    std::vector<unsigned char> out(32);
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt, saltLen, iterations, EVP_sha256(),
                      static_cast<int>(out.size()), out.data());
    return out;
}

} // namespace

CredentialStore::CredentialStore(std::string dbPath, std::chrono::milliseconds maxWait)
    : m_dbPath(std::move(dbPath)), m_maxWait(maxWait)
{
    RAND_bytes(m_cacheKey.data(), static_cast<int>(m_cacheKey.size()));
    for (int i = 0; i < kConcurrentHashes; ++i)
        m_hashThreads.emplace_back([this] { hashLoop(); });
}

CredentialStore::~CredentialStore()
{
    stop();
    sqlite3_close_v2(m_db);
}

void CredentialStore::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &t : m_hashThreads)
        t.join();
    m_hashThreads.clear();
}

CredentialStore::Digest CredentialStore::keyedHash(const std::string &user, const std::string &password,
                                                   const std::string &client) const
{
    const std::string message = user + '\0' + password + '\0' + client;
    Digest digest{};
    unsigned int len = 0;
    HMAC(EVP_sha256(), m_cacheKey.data(), static_cast<int>(m_cacheKey.size()),
         reinterpret_cast<const unsigned char *>(message.data()), message.size(), digest.data(), &len);
    return digest;
}

CredentialStore::StoredHash CredentialStore::lookUp(const std::string &user)
{
    StoredHash out;
    std::lock_guard lock(m_dbMutex);
    if (!m_db && sqlite3_open_v2(m_dbPath.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return out;
    }
    sqlite3_stmt *stmt = nullptr;
    const std::string sql = std::string("SELECT Salt, Hash, Iterations FROM ") + kUsersTable + " WHERE Name = ?";
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, user.c_str(), static_cast<int>(user.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            const auto *s = static_cast<const unsigned char *>(sqlite3_column_blob(stmt, 0));
            out.salt.assign(s, s + sqlite3_column_bytes(stmt, 0));
            const auto *h = static_cast<const unsigned char *>(sqlite3_column_blob(stmt, 1));
            out.hash.assign(h, h + sqlite3_column_bytes(stmt, 1));
            out.iterations = sqlite3_column_int(stmt, 2);
            out.found = out.iterations > 0 && !out.hash.empty();
        }
    }
    sqlite3_finalize(stmt);
    if (!out.found) {
        out.salt.assign(16, 0);
        out.iterations = kIterations;
    }
    return out;
}

bool CredentialStore::remembered(const std::string &user, const std::string &password, const std::string &client)
{
    const Digest digest = keyedHash(user, password, client);
    const auto now = Clock::now();
    std::vector<unsigned char> rememberedHash;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_remembered.find(user);
        if (it == m_remembered.end())
            return false;
        std::erase_if(it->second, [now](const Remembered &r) { return r.until < now; });
        for (const Remembered &r : it->second) {
            if (CRYPTO_memcmp(r.digest.data(), digest.data(), digest.size()) == 0)
                rememberedHash = r.storedHash;
        }
    }
    if (rememberedHash.empty())
        return false;
    const StoredHash stored = lookUp(user);
    return stored.found && stored.hash == rememberedHash;
}

bool CredentialStore::coolingOff(const std::string &user, const std::string &client) const
{
    const auto f = m_failures.find(client + '\0' + user);
    return f != m_failures.end() && f->second.coolUntil > Clock::now();
}

void CredentialStore::RecentFailures::add(Clock::time_point at)
{
    count = std::min(recent(at) + 1, 1000000);
    last = at;
}

int CredentialStore::score(const Waiting &w, Clock::time_point now) const
{
    int total = 0;
    if (const auto a = m_addresses.find(w.client); a != m_addresses.end())
        total += a->second.failures.recent(now) + a->second.hashing;
    if (const auto u = m_userFailures.find(w.user); u != m_userFailures.end())
        total += u->second.recent(now);
    return total;
}

bool CredentialStore::suspect(const Waiting &w, Clock::time_point now) const
{
    const auto a = m_addresses.find(w.client);
    return !w.knownUser || (a != m_addresses.end() && a->second.failures.recent(now) > 0);
}

void CredentialStore::noteFailure(const std::string &user, const std::string &client, bool knownUser)
{
    const auto now = Clock::now();
    std::lock_guard lock(m_mutex);
    // A flood of addresses and names must not grow the tables without end.
    if (m_failures.size() > 100000)
        std::erase_if(m_failures, [now](const auto &f) { return f.second.coolUntil < now; });
    if (m_addresses.size() > 100000)
        std::erase_if(m_addresses,
                      [now](const auto &a) { return a.second.hashing == 0 && a.second.failures.recent(now) == 0; });
    Failures &f = m_failures[client + '\0' + user];
    if (now - f.windowStart > kFailureWindow) {
        f.count = 0;
        f.windowStart = now;
    }
    if (++f.count >= kFailuresBeforeCooling) {
        f.coolUntil = now + kCoolingOff;
        f.count = 0;
    }
    m_addresses[client].failures.add(now);
    if (knownUser) // only names in the users table, so made-up names cannot grow this one
        m_userFailures[user].add(now);
}

CredentialStore::Result CredentialStore::quickCheck(const std::string &user, const std::string &password,
                                                    const std::string &client)
{
    if (user.empty())
        return Result::Wrong;
    if (remembered(user, password, client))
        return Result::Ok;
    std::lock_guard lock(m_mutex);
    return coolingOff(user, client) ? Result::CoolingOff : Result::NeedsHash;
}

void CredentialStore::checkSlowly(const std::string &user, const std::string &password, const std::string &client,
                                  std::function<void(Result)> done)
{
    const bool knownUser = lookUp(user).found;
    {
        std::lock_guard lock(m_mutex);
        if (!m_stopping && m_waiting.size() < kMaxWaiting) {
            m_waiting.push_back({user, password, client, std::move(done), m_nextOrder++, Clock::now(), knownUser});
            m_wake.notify_all();
            return;
        }
    }
    done(Result::Busy);
}

CredentialStore::Result CredentialStore::verify(const std::string &user, const std::string &password,
                                                const std::string &client)
{
    const Result quick = quickCheck(user, password, client);
    if (quick != Result::NeedsHash)
        return quick;
    std::mutex m;
    std::condition_variable cv;
    std::optional<Result> result;
    checkSlowly(user, password, client, [&](Result r) {
        std::lock_guard lock(m);
        result = r;
        cv.notify_one();
    });
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return result.has_value(); });
    return *result;
}

CredentialStore::Result CredentialStore::slowCheck(const Waiting &w)
{
    // Another request of the same agent may have been verified while this one waited.
    if (remembered(w.user, w.password, w.client))
        return Result::Ok;
    {
        std::lock_guard lock(m_mutex);
        if (coolingOff(w.user, w.client))
            return Result::CoolingOff;
    }
    // An unknown user costs the same as a wrong password, so timing does not tell which names exist.
    const StoredHash stored = lookUp(w.user);
    const std::vector<unsigned char> computed =
        pbkdf2(w.password, stored.salt.data(), static_cast<int>(stored.salt.size()), stored.iterations);
    const bool match = stored.found && stored.hash.size() == computed.size() &&
                       CRYPTO_memcmp(stored.hash.data(), computed.data(), computed.size()) == 0;
    if (!match) {
        noteFailure(w.user, w.client, stored.found);
        return Result::Wrong;
    }
    const Digest digest = keyedHash(w.user, w.password, w.client);
    std::lock_guard lock(m_mutex);
    auto &entries = m_remembered[w.user];
    std::erase_if(entries, [&digest](const Remembered &r) {
        return CRYPTO_memcmp(r.digest.data(), digest.data(), digest.size()) == 0;
    });
    if (entries.size() < 64)
        entries.push_back({digest, stored.hash, Clock::now() + kRememberFor});
    return Result::Ok;
}

void CredentialStore::hashLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Checks that waited too long, or all of them when stopping, are answered at once.
        const auto now = Clock::now();
        std::vector<Waiting> expired;
        for (auto it = m_waiting.begin(); it != m_waiting.end();) {
            if (m_stopping || now - it->since > m_maxWait) {
                expired.push_back(std::move(*it));
                it = m_waiting.erase(it);
            } else {
                ++it;
            }
        }
        if (!expired.empty()) {
            lock.unlock();
            for (Waiting &w : expired)
                w.done(Result::Busy);
            lock.lock();
            continue;
        }
        if (m_stopping)
            return;
        // The best waiting check; a suspect one only while another thread stays free. Among equals the
        // newest goes first: under a flood the oldest are the flood's, and they run out of time.
        const bool maySuspect = m_hashingForSuspects < kConcurrentHashes - 1;
        long best = -1;
        int bestScore = 0;
        for (size_t i = 0; i < m_waiting.size(); ++i) {
            if (!maySuspect && suspect(m_waiting[i], now))
                continue;
            const int candidate = score(m_waiting[i], now);
            if (best < 0 || candidate < bestScore ||
                (candidate == bestScore && m_waiting[i].order > m_waiting[size_t(best)].order)) {
                best = long(i);
                bestScore = candidate;
            }
        }
        if (best < 0) {
            m_wake.wait_for(lock, std::chrono::milliseconds(100));
            continue;
        }
        Waiting w = std::move(m_waiting[size_t(best)]);
        m_waiting.erase(m_waiting.begin() + best);
        const bool suspected = suspect(w, now);
        ++m_addresses[w.client].hashing;
        m_hashingForSuspects += suspected ? 1 : 0;
        lock.unlock();
        const Result result = slowCheck(w);
        lock.lock();
        --m_addresses[w.client].hashing;
        m_hashingForSuspects -= suspected ? 1 : 0;
        m_wake.notify_all();
        lock.unlock();
        w.done(result);
        lock.lock();
    }
}

bool CredentialStore::createTable(sqlite3 *db, std::string &error)
{
    const std::string sql =
        std::string("CREATE TABLE IF NOT EXISTS ") + kUsersTable +
        " (Name TEXT PRIMARY KEY NOT NULL, Salt BLOB NOT NULL, Hash BLOB NOT NULL, Iterations INTEGER NOT NULL)";
    char *msg = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
        error = msg ? msg : "cannot create the users table";
        sqlite3_free(msg);
        return false;
    }
    return true;
}

bool CredentialStore::setPassword(sqlite3 *db, const std::string &user, const std::string &password, std::string &error)
{
    if (!createTable(db, error))
        return false;
    unsigned char salt[16];
    if (RAND_bytes(salt, sizeof salt) != 1) {
        error = "no random bytes for the salt";
        return false;
    }
    const std::vector<unsigned char> hash = pbkdf2(password, salt, sizeof salt, kIterations);
    const std::string sql =
        std::string("INSERT OR REPLACE INTO ") + kUsersTable + " (Name, Salt, Hash, Iterations) VALUES (?, ?, ?, ?)";
    sqlite3_stmt *stmt = nullptr;
    bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_bind_text(stmt, 1, user.c_str(), static_cast<int>(user.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(stmt, 2, salt, sizeof salt, SQLITE_TRANSIENT);
        sqlite3_bind_blob(stmt, 3, hash.data(), static_cast<int>(hash.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 4, kIterations);
        ok = sqlite3_step(stmt) == SQLITE_DONE;
    }
    if (!ok)
        error = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    return ok;
}
