#pragma once

#include <cstdio>
#include <string>

namespace demo {

struct Civil {
    int y;
    int m;
    int d;
};

// Days since 1970-01-01 (proleptic Gregorian).
inline int daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

inline Civil civilFromDays(int z)
{
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp < 10 ? mp + 3 : mp - 9;
    return {yoe + era * 400 + (m <= 2), m, d};
}

inline int weekday(int day)
{
    return ((day % 7) + 11) % 7;
} // 0 = Sunday

// Horses age on 1 August.
inline int seasonYear(int day)
{
    const Civil c = civilFromDays(day);
    return c.m >= 8 ? c.y : c.y - 1;
}

inline std::string isoDate(int day)
{
    const Civil c = civilFromDays(day);
    char buf[40]; // room for any int, so the compiler can prove no truncation
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.y, c.m, c.d);
    return buf;
}

} // namespace demo
