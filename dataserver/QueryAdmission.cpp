#include "QueryAdmission.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace {

std::string ipv6Group(const in6_addr &a)
{
    if (IN6_IS_ADDR_V4MAPPED(&a)) {
        char buf[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, a.s6_addr + 12, buf, sizeof buf);
        return buf;
    }
    in6_addr network{};
    std::memcpy(network.s6_addr, a.s6_addr, 8);
    char buf[INET6_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET6, &network, buf, sizeof buf);
    return std::string(buf) + "/64";
}

} // namespace

std::string addressGroup(const std::string &address)
{
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.c_str(), &v6) == 1)
        return ipv6Group(v6);
    return address;
}

std::string addressGroup(const sockaddr *address)
{
    if (address && address->sa_family == AF_INET6)
        return ipv6Group(reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr);
    char buf[INET_ADDRSTRLEN] = "?";
    if (address && address->sa_family == AF_INET)
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, buf, sizeof buf);
    return buf;
}

bool KeyedCounter::tryEnter(const std::string &key, int cap)
{
    std::lock_guard lock(m_mutex);
    int &n = m_counts[key];
    if (n >= cap) {
        if (n == 0)
            m_counts.erase(key);
        return false;
    }
    ++n;
    return true;
}

int KeyedCounter::enter(const std::string &key)
{
    std::lock_guard lock(m_mutex);
    return ++m_counts[key];
}

void KeyedCounter::leave(const std::string &key)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_counts.find(key);
    if (it != m_counts.end() && --it->second <= 0)
        m_counts.erase(it);
}

int KeyedCounter::count(const std::string &key) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_counts.find(key);
    return it == m_counts.end() ? 0 : it->second;
}

QueryAdmission::Ticket::~Ticket()
{
    if (!m_owner)
        return;
    m_owner->m_users.leave(m_user);
    m_owner->m_groups.leave(m_group);
}

std::optional<QueryAdmission::Ticket> QueryAdmission::admit(const std::string &user, const std::string &clientAddress)
{
    std::string group = addressGroup(clientAddress);
    if (!m_users.tryEnter(user, m_perUser))
        return std::nullopt;
    if (!m_groups.tryEnter(group, m_perAddress)) {
        m_users.leave(user);
        return std::nullopt;
    }
    return Ticket(*this, user, std::move(group));
}
