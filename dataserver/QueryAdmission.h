#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

struct sockaddr;

// The address a client is counted by: an IPv4 address whole (also when it comes IPv4-mapped), an IPv6
// address by its /64, since one machine commonly holds a whole /64 and can pick any address in it.
std::string addressGroup(const std::string &address);
std::string addressGroup(const sockaddr *address);

// How many of something each key holds at once (connections per address, running queries per account).
class KeyedCounter
{
public:
    // One more for `key`; false (and nothing counted) when it already holds `cap`.
    bool tryEnter(const std::string &key, int cap);
    // One more for `key` whatever it holds; the count it now has.
    int enter(const std::string &key);
    void leave(const std::string &key);
    int count(const std::string &key) const;

private:
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, int> m_counts;
};

// The queries running for one account and from one address group. A query over either cap is refused at
// once: waiting would hold the thread that serves the connection, which is what the caps protect.
class QueryAdmission
{
public:
    QueryAdmission(int perUser, int perAddress) : m_perUser(perUser), m_perAddress(perAddress) {}

    // Holds one running query's place until it goes.
    class Ticket
    {
    public:
        Ticket(QueryAdmission &owner, std::string user, std::string group)
            : m_owner(&owner), m_user(std::move(user)), m_group(std::move(group))
        {}
        Ticket(Ticket &&other) noexcept
            : m_owner(std::exchange(other.m_owner, nullptr)), m_user(std::move(other.m_user)),
              m_group(std::move(other.m_group))
        {}
        Ticket(const Ticket &) = delete;
        Ticket &operator=(const Ticket &) = delete;
        Ticket &operator=(Ticket &&) = delete;
        ~Ticket();

    private:
        QueryAdmission *m_owner;
        std::string m_user, m_group;
    };

    std::optional<Ticket> admit(const std::string &user, const std::string &clientAddress);

private:
    int m_perUser, m_perAddress;
    KeyedCounter m_users, m_groups;
};
