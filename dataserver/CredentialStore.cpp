#include "CredentialStore.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <sqlite3.h>

#include <vector>

namespace {

std::vector<unsigned char> pbkdf2(const std::string &password, const unsigned char *salt, int saltLen,
                                  int iterations)
{
    std::vector<unsigned char> out(32);
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt, saltLen, iterations, EVP_sha256(),
                      static_cast<int>(out.size()), out.data());
    return out;
}

} // namespace

CredentialStore::CredentialStore(std::string dbPath)
    : m_dbPath(std::move(dbPath))
{
    RAND_bytes(m_cacheKey.data(), static_cast<int>(m_cacheKey.size()));
}

CredentialStore::~CredentialStore()
{
    sqlite3_close_v2(m_db);
}

CredentialStore::Digest CredentialStore::keyedHash(const std::string &user, const std::string &password,
                                                   const std::string &peer) const
{
    const std::string message = user + '\0' + password + '\0' + peer;
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

CredentialStore::Result CredentialStore::slowCheck(const std::string &password, const StoredHash &stored,
                                                   const std::string &peer)
{
    {
        std::unique_lock lock(m_hashMutex);
        m_hashFreed.wait(lock, [this] { return m_hashing < kConcurrentHashes; });
        ++m_hashing;
    }
    const auto release = [this] {
        {
            std::lock_guard lock(m_hashMutex);
            --m_hashing;
        }
        m_hashFreed.notify_one();
    };
    // The address may have started cooling off while this request waited for its turn.
    if (coolingOff(peer)) {
        release();
        return Result::CoolingOff;
    }
    // An unknown user costs the same as a wrong password, so timing does not tell which names exist.
    const std::vector<unsigned char> computed =
        pbkdf2(password, stored.salt.data(), static_cast<int>(stored.salt.size()), stored.iterations);
    release();
    const bool match = stored.found && stored.hash.size() == computed.size()
        && CRYPTO_memcmp(stored.hash.data(), computed.data(), computed.size()) == 0;
    return match ? Result::Ok : Result::Wrong;
}

bool CredentialStore::coolingOff(const std::string &peer)
{
    std::lock_guard lock(m_cacheMutex);
    const auto f = m_failures.find(peer);
    return f != m_failures.end() && f->second.coolUntil > Clock::now();
}

void CredentialStore::noteFailure(const std::string &peer)
{
    const auto now = Clock::now();
    std::lock_guard lock(m_cacheMutex);
    if (m_failures.size() > 100000) // a flood of addresses must not grow the table without end
        std::erase_if(m_failures, [now](const auto &f) { return f.second.coolUntil < now; });
    Failures &f = m_failures[peer];
    if (now - f.windowStart > kFailureWindow) {
        f.count = 0;
        f.windowStart = now;
    }
    if (++f.count >= kFailuresBeforeCooling) {
        f.coolUntil = now + kCoolingOff;
        f.count = 0;
    }
}

CredentialStore::Result CredentialStore::verify(const std::string &user, const std::string &password,
                                                const std::string &peer)
{
    if (user.empty())
        return Result::Wrong;
    const Digest digest = keyedHash(user, password, peer);
    const auto now = Clock::now();
    std::vector<unsigned char> rememberedHash;
    {
        std::lock_guard lock(m_cacheMutex);
        const auto it = m_remembered.find(user);
        if (it != m_remembered.end()) {
            std::erase_if(it->second, [now](const Remembered &r) { return r.until < now; });
            for (const Remembered &r : it->second) {
                if (CRYPTO_memcmp(r.digest.data(), digest.data(), digest.size()) == 0)
                    rememberedHash = r.storedHash;
            }
        }
    }
    if (rememberedHash.empty() && coolingOff(peer))
        return Result::CoolingOff;
    const StoredHash stored = lookUp(user);
    if (!rememberedHash.empty() && stored.found && stored.hash == rememberedHash)
        return Result::Ok;
    const Result checked = slowCheck(password, stored, peer);
    if (checked != Result::Ok) {
        if (checked == Result::Wrong)
            noteFailure(peer);
        return checked;
    }
    std::lock_guard lock(m_cacheMutex);
    auto &entries = m_remembered[user];
    std::erase_if(entries, [&digest](const Remembered &r) {
        return CRYPTO_memcmp(r.digest.data(), digest.data(), digest.size()) == 0;
    });
    if (entries.size() < 64)
        entries.push_back({digest, stored.hash, now + kRememberFor});
    return Result::Ok;
}

bool CredentialStore::createTable(sqlite3 *db, std::string &error)
{
    const std::string sql = std::string("CREATE TABLE IF NOT EXISTS ") + kUsersTable
        + " (Name TEXT PRIMARY KEY NOT NULL, Salt BLOB NOT NULL, Hash BLOB NOT NULL, Iterations INTEGER NOT NULL)";
    char *msg = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) != SQLITE_OK) {
        error = msg ? msg : "cannot create the users table";
        sqlite3_free(msg);
        return false;
    }
    return true;
}

bool CredentialStore::setPassword(sqlite3 *db, const std::string &user, const std::string &password,
                                  std::string &error)
{
    if (!createTable(db, error))
        return false;
    unsigned char salt[16];
    if (RAND_bytes(salt, sizeof salt) != 1) {
        error = "no random bytes for the salt";
        return false;
    }
    const std::vector<unsigned char> hash = pbkdf2(password, salt, sizeof salt, kIterations);
    const std::string sql = std::string("INSERT OR REPLACE INTO ") + kUsersTable
        + " (Name, Salt, Hash, Iterations) VALUES (?, ?, ?, ?)";
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
