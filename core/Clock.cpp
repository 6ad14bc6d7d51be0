#include "Clock.h"

namespace {
const Clock systemClock;
const Clock *current = &systemClock;
} // namespace

const Clock &Clock::instance()
{
    return *current;
}

void Clock::setInstance(const Clock *clock)
{
    current = clock ? clock : &systemClock;
}
