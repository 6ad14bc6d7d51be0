#pragma once

#include <array>
#include <mutex>
#include <string>
#include <unordered_map>

struct sqlite3;

// Query users of the data server. Passwords are stored as salted PBKDF2-HMAC-SHA256 hashes in a table
// that the query guard never lets a query read. A slow hash per request would cap throughput, so a
// password verified once is remembered for the run as a keyed hash under a random per-process key.
class CredentialStore
{
public:
    static constexpr const char *kUsersTable = "ServerUsers";
    static constexpr int kIterations = 200000;

    explicit CredentialStore(std::string dbPath);

    bool verify(const std::string &user, const std::string &password);

    static bool createTable(sqlite3 *db, std::string &error);
    static bool setPassword(sqlite3 *db, const std::string &user, const std::string &password, std::string &error);

private:
    using Digest = std::array<unsigned char, 32>;
    Digest keyedHash(const std::string &user, const std::string &password) const;
    bool verifySlow(const std::string &user, const std::string &password);

    std::string m_dbPath;
    std::array<unsigned char, 32> m_cacheKey{};
    std::mutex m_cacheMutex;
    std::unordered_map<std::string, Digest> m_verified;
    std::mutex m_slowMutex; // one slow verification at a time keeps a password-guessing flood to one core
};
