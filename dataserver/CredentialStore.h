#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;

// Query users of the data server. Passwords are stored as salted PBKDF2-HMAC-SHA256 hashes in a table
// that the query guard never lets a query read.
//
// The slow hash runs outside every shared lock, at most kConcurrentHashes at a time. A password verified
// from an address is remembered for a short while as a keyed digest (random per-process key) of user,
// password and address, together with the stored hash it matched: a correct user pays the slow hash
// once, and a password changed with add-user ends the remembered ones at once. An address that keeps
// failing is answered at once for a cooling-off period, without hashing.
class CredentialStore
{
public:
    static constexpr const char *kUsersTable = "ServerUsers";
    static constexpr int kIterations = 200000;
    static constexpr int kConcurrentHashes = 2;
    static constexpr int kFailuresBeforeCooling = 5;
    static constexpr auto kFailureWindow = std::chrono::seconds(60);
    static constexpr auto kCoolingOff = std::chrono::seconds(30);
    static constexpr auto kRememberFor = std::chrono::minutes(10);

    enum class Result { Ok, Wrong, CoolingOff };

    explicit CredentialStore(std::string dbPath);
    ~CredentialStore();
    CredentialStore(const CredentialStore &) = delete;
    CredentialStore &operator=(const CredentialStore &) = delete;

    Result verify(const std::string &user, const std::string &password, const std::string &peer);

    static bool createTable(sqlite3 *db, std::string &error);
    static bool setPassword(sqlite3 *db, const std::string &user, const std::string &password, std::string &error);

private:
    using Clock = std::chrono::steady_clock;
    using Digest = std::array<unsigned char, 32>;
    struct StoredHash {
        bool found = false;
        std::vector<unsigned char> salt, hash;
        int iterations = kIterations;
    };
    struct Remembered {
        Digest digest;
        std::vector<unsigned char> storedHash;
        Clock::time_point until;
    };
    struct Failures {
        int count = 0;
        Clock::time_point windowStart, coolUntil;
    };

    Digest keyedHash(const std::string &user, const std::string &password, const std::string &peer) const;
    StoredHash lookUp(const std::string &user);
    Result slowCheck(const std::string &password, const StoredHash &stored, const std::string &peer);
    bool coolingOff(const std::string &peer);
    void noteFailure(const std::string &peer);

    std::string m_dbPath;
    std::array<unsigned char, 32> m_cacheKey{};
    std::mutex m_dbMutex; // the one lookup connection; held only for a point read
    sqlite3 *m_db = nullptr;
    std::mutex m_cacheMutex;
    std::unordered_map<std::string, std::vector<Remembered>> m_remembered;
    std::unordered_map<std::string, Failures> m_failures;
    std::mutex m_hashMutex;
    std::condition_variable m_hashFreed;
    int m_hashing = 0;
};
