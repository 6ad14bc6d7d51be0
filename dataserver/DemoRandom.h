#pragma once

#include <cstddef>
#include <cstdint>

namespace demo {

// xoshiro256** seeded by splitmix64, with no library distributions: the same seed gives the same
// numbers with every compiler and C library.
class Rng
{
public:
    explicit Rng(std::uint64_t seed)
    {
        std::uint64_t x = seed;
        for (auto &word : m_state) {
            x += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = x;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            word = z ^ (z >> 31);
        }
    }
    std::uint64_t next()
    {
        const std::uint64_t result = rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = rotl(m_state[3], 45);
        return result;
    }
    // Uniform in [0, n); n > 0.
    std::uint32_t below(std::uint32_t n) { return std::uint32_t(((next() >> 32) * std::uint64_t(n)) >> 32); }
    int range(int lo, int hi) { return lo + int(below(std::uint32_t(hi - lo + 1))); }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    bool chance(double p) { return unit() < p; }
    // Approximately standard normal (Irwin-Hall of four uniforms), free of libm differences.
    double normal() { return (unit() + unit() + unit() + unit() - 2.0) * 1.7320508075688772; }
    template <class T, std::size_t N> const T &pick(const T (&items)[N]) { return items[below(std::uint32_t(N))]; }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_state[4];
};

} // namespace demo
