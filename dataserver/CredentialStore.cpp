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

CredentialStore::Digest CredentialStore::keyedHash(const std::string &user, const std::string &password) const
{
    const std::string message = user + '\0' + password;
    Digest digest{};
    unsigned int len = 0;
    HMAC(EVP_sha256(), m_cacheKey.data(), static_cast<int>(m_cacheKey.size()),
         reinterpret_cast<const unsigned char *>(message.data()), message.size(), digest.data(), &len);
    return digest;
}

bool CredentialStore::verify(const std::string &user, const std::string &password)
{
    if (user.empty())
        return false;
    const Digest digest = keyedHash(user, password);
    {
        std::lock_guard lock(m_cacheMutex);
        const auto it = m_verified.find(user);
        if (it != m_verified.end() && CRYPTO_memcmp(it->second.data(), digest.data(), digest.size()) == 0)
            return true;
    }
    std::lock_guard slow(m_slowMutex);
    {
        std::lock_guard lock(m_cacheMutex); // another worker may have verified it meanwhile
        const auto it = m_verified.find(user);
        if (it != m_verified.end() && CRYPTO_memcmp(it->second.data(), digest.data(), digest.size()) == 0)
            return true;
    }
    if (!verifySlow(user, password))
        return false;
    std::lock_guard lock(m_cacheMutex);
    m_verified[user] = digest;
    return true;
}

bool CredentialStore::verifySlow(const std::string &user, const std::string &password)
{
    sqlite3 *db = nullptr;
    bool found = false;
    std::vector<unsigned char> salt(16, 0), stored;
    int iterations = kIterations;
    if (sqlite3_open_v2(m_dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *stmt = nullptr;
        const std::string sql =
            std::string("SELECT Salt, Hash, Iterations FROM ") + kUsersTable + " WHERE Name = ?";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
            sqlite3_bind_text(stmt, 1, user.c_str(), static_cast<int>(user.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(stmt) == SQLITE_ROW) {
                const auto *s = static_cast<const unsigned char *>(sqlite3_column_blob(stmt, 0));
                salt.assign(s, s + sqlite3_column_bytes(stmt, 0));
                const auto *h = static_cast<const unsigned char *>(sqlite3_column_blob(stmt, 1));
                stored.assign(h, h + sqlite3_column_bytes(stmt, 1));
                iterations = sqlite3_column_int(stmt, 2);
                found = iterations > 0 && !stored.empty();
            }
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(db);
    // An unknown user costs the same as a wrong password, so timing does not tell which names exist.
    const std::vector<unsigned char> computed =
        pbkdf2(password, salt.data(), static_cast<int>(salt.size()), found ? iterations : kIterations);
    return found && stored.size() == computed.size()
        && CRYPTO_memcmp(stored.data(), computed.data(), computed.size()) == 0;
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
