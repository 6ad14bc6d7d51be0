#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

struct sqlite3;

// Query users of the data server. Passwords are stored as salted PBKDF2-HMAC-SHA256 hashes in a table
// that the query guard never lets a query read.
//
// A password verified from an address is remembered for a short while as a keyed digest (random
// per-process key) of user, password and address, together with the stored hash it matched: a correct
// user pays the slow hash once, and a password changed with add-user ends the remembered ones at once.
// A user who keeps failing from one address is answered at once for a cooling-off period, without
// hashing; other users at that address (agents behind one balancer) are not affected.
//
// The slow hash runs on kConcurrentHashes threads of its own, never on a thread that serves connections.
// Waiting checks are taken best first: fewer recent failures of the address and of the user (and fewer
// hashes running for the address) before more, and among equals the newest, so a flood of wrong passwords
// from many addresses queues behind itself (its oldest checks answered "busy" after the wait allowed). One
// hashing thread is kept for checks that look like an agent's new login: a user who exists, from an
// address that has not failed lately. A name that does not exist still pays the hash (so timing does not
// tell which names exist) but never on that thread.
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
    // How long an address's failures count against its place in the queue.
    static constexpr auto kAddressMemory = std::chrono::minutes(10);
    static constexpr size_t kMaxWaiting = 4096;

    // Busy: the check waited longer than allowed for a hashing thread, or too many were waiting.
    enum class Result { Ok, Wrong, CoolingOff, Busy, NeedsHash };

    // `maxWait`: how long a check may wait for a hashing thread.
    CredentialStore(std::string dbPath, std::chrono::milliseconds maxWait);
    ~CredentialStore();
    CredentialStore(const CredentialStore &) = delete;
    CredentialStore &operator=(const CredentialStore &) = delete;

    // The quick part, on the caller's thread: Ok for a remembered password, CoolingOff, Wrong for an empty
    // user, else NeedsHash.
    Result quickCheck(const std::string &user, const std::string &password, const std::string &client);
    // The slow part: `done` is called on a hashing thread with Ok, Wrong, CoolingOff or Busy.
    void checkSlowly(const std::string &user, const std::string &password, const std::string &client,
                     std::function<void(Result)> done);
    // Both parts, waiting for the answer.
    Result verify(const std::string &user, const std::string &password, const std::string &client);
    // Answers every waiting check with Busy and ends the hashing threads.
    void stop();

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
    struct RecentFailures {
        int count = 0;
        Clock::time_point last;
        // The failures still counted at `at`.
        int recent(Clock::time_point at) const { return at - last < kAddressMemory ? count : 0; }
        void add(Clock::time_point at);
    };
    struct AddressRecord {
        RecentFailures failures;
        int hashing = 0;
    };
    struct Waiting {
        std::string user, password, client;
        std::function<void(Result)> done;
        uint64_t order = 0;
        Clock::time_point since;
        bool knownUser = false;
    };

    Digest keyedHash(const std::string &user, const std::string &password, const std::string &client) const;
    StoredHash lookUp(const std::string &user);
    bool remembered(const std::string &user, const std::string &password, const std::string &client);
    bool coolingOff(const std::string &user, const std::string &client) const; // m_mutex held
    void noteFailure(const std::string &user, const std::string &client, bool knownUser);
    // Both m_mutex held: lower goes first; a suspect never takes the thread kept for new logins.
    int score(const Waiting &w, Clock::time_point now) const;
    bool suspect(const Waiting &w, Clock::time_point now) const;
    Result slowCheck(const Waiting &w);
    void hashLoop();

    std::string m_dbPath;
    std::chrono::milliseconds m_maxWait;
    std::array<unsigned char, 32> m_cacheKey{};
    std::mutex m_dbMutex; // the one lookup connection; held only for a point read
    sqlite3 *m_db = nullptr;

    mutable std::mutex m_mutex; // everything below
    std::condition_variable m_wake;
    std::unordered_map<std::string, std::vector<Remembered>> m_remembered;
    std::unordered_map<std::string, Failures> m_failures; // by user and address
    std::unordered_map<std::string, AddressRecord> m_addresses;
    std::unordered_map<std::string, RecentFailures> m_userFailures; // users who exist, from any address
    std::vector<Waiting> m_waiting;
    uint64_t m_nextOrder = 0;
    int m_hashingForSuspects = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_hashThreads;
};
