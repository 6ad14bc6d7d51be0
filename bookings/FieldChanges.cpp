#include "FieldChanges.h"

#include "BookingOperations.h"
#include "roster/RiderName.h"

#include <QHash>
#include <QSet>

#include <optional>

using namespace Qt::StringLiterals;

namespace fieldchanges {
namespace {

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString key(const QString &horse)
{
    return horse.trimmed().toCaseFolded();
}

bool knownTime(const QString &time)
{
    return !time.isEmpty() && !time.startsWith("00:00"_L1) && !time.startsWith("00:01"_L1);
}

QString raceText(const Runner &runner)
{
    QString text = u"race %1"_s.arg(runner.raceNumber);
    if (knownTime(runner.raceTime))
        text += u", "_s + runner.raceTime.left(5);
    return text;
}

QString weightText(int tenths)
{
    return tenths > 0 ? formatKilograms(tenths / 10.0) : QString();
}

QString barrierText(int barrier)
{
    return barrier > 0 ? QString::number(barrier) : QString();
}

QString markerText(const QString &eorB)
{
    if (sameName(eorB, "E"_L1))
        return u"emergency"_s;
    if (sameName(eorB, "B"_L1))
        return u"balloted out"_s;
    return {};
}

bool scratchedMarker(const Runner &runner)
{
    return sameName(runner.eorB.trimmed(), "S"_L1);
}

// The booking check's rules, on one field. The field names another rider than the booked jockey
// (titles and claims aside); at acceptances naming nobody counts too.
bool riderDiffers(const QString &level, const Runner &runner, const BookedHorse &booking)
{
    return !booking.fullName.trimmed().isEmpty() && !sameRider(runner.jockey, booking.fullName) &&
           (level == "ACP"_L1 || !plainRiderName(runner.jockey).isEmpty());
}

// The weight is below the booked jockey's riding weight; said only when the rider is the booked one.
bool tooHeavy(const QString &level, const Runner &runner, const BookedHorse &booking)
{
    return !riderDiffers(level, runner, booking) && runner.weightTenths >= 1 &&
           booking.rideWeight > runner.weightTenths / 10.0;
}

bool sameFieldRider(const Runner &a, const Runner &b)
{
    return sameRider(a.jockey, b.jockey) || (plainRiderName(a.jockey).isEmpty() && plainRiderName(b.jockey).isEmpty());
}

std::optional<ManagedJockey> managedRider(const Runner &runner, const QList<ManagedJockey> &managed)
{
    for (const ManagedJockey &jockey : managed) {
        if (sameRider(runner.jockey, jockey.fullName))
            return jockey;
    }
    return std::nullopt;
}

// A horse's entries in one field, in the field's order (by race).
using Entries = QList<const Runner *>;

QHash<QString, Entries> entriesByHorse(const Field &field)
{
    QHash<QString, Entries> entries;
    for (const Runner &runner : field.runners)
        entries[key(runner.horse)] << &runner;
    return entries;
}

const Runner *inRace(const Entries &entries, int raceNumber)
{
    for (const Runner *entry : entries) {
        if (entry->raceNumber == raceNumber)
            return entry;
    }
    return nullptr;
}

// The entry a booking belongs to: the one of its race code (the race number `preferred` among
// several), else none; a booking without a code belongs to the first.
const Runner *bookedEntry(const Entries &entries, const BookedHorse &booking, int preferred)
{
    Entries ofRace;
    for (const Runner *entry : entries) {
        if (booking.raceCode.trimmed().isEmpty() || sameName(entry->raceCode.trimmed(), booking.raceCode.trimmed()))
            ofRace << entry;
    }
    if (const Runner *same = inRace(ofRace, preferred))
        return same;
    return ofRace.value(0);
}

// The entry of the old field that `now` continues: the same race, else a race the horse has left.
const Runner *counterpart(const Entries &was, const Entries &is, const Runner &now)
{
    if (const Runner *same = inRace(was, now.raceNumber))
        return same;
    for (const Runner *entry : was) {
        if (!inRace(is, entry->raceNumber))
            return entry;
    }
    return nullptr;
}

class Detection
{
public:
    Detection(const Field &before, const Field &after) : m_before(before), m_after(after) {}

    void followed(const Runner *old, const Runner &now, const QString &jockey, bool booked)
    {
        auto add = [&](const QString &kind, const QString &was, const QString &is) {
            changes << Change{now.raceNumber, now.horse, kind, was, is, jockey, booked};
        };
        if (!old)
            return;
        if (old->raceNumber != now.raceNumber ||
            (knownTime(old->raceTime) && knownTime(now.raceTime) && old->raceTime != now.raceTime))
            add(kRaceMoved, raceText(*old), raceText(now));
        if (!markerText(now.eorB).isEmpty() && !sameName(old->eorB, now.eorB))
            add(kEmergencyOrBallot, markerText(old->eorB), markerText(now.eorB));
        if (old->barrier != now.barrier)
            add(kBarrier, barrierText(old->barrier), barrierText(now.barrier));
        if (old->weightTenths != now.weightTenths)
            add(kWeight, weightText(old->weightTenths), weightText(now.weightTenths));
    }

    // A mismatch is said once: not again while the same rider stays named in its place.
    // A booking new to the review is compared with no old field: what already held is said now.
    void bookedRider(const Runner *old, const Runner &now, const BookedHorse &booking)
    {
        const QString &was = m_before.level;
        const QString &is = m_after.level;
        const Runner *seen = booking.newToReview ? nullptr : old;
        if (riderDiffers(is, now, booking)) {
            const bool known = seen && riderDiffers(was, *seen, booking) && sameFieldRider(*seen, now);
            const QString before = old && !sameFieldRider(*old, now) ? old->jockey.trimmed() : QString();
            if (!known)
                changes << Change{now.raceNumber,       now.horse,      kRiderChanged, before,
                                  now.jockey.trimmed(), booking.jockey, true};
        } else if (tooHeavy(is, now, booking) && !(seen && tooHeavy(was, *seen, booking))) {
            changes << Change{now.raceNumber,
                              now.horse,
                              kRiderTooHeavy,
                              formatKilograms(booking.rideWeight),
                              weightText(now.weightTenths),
                              booking.jockey,
                              true};
        }
    }

    QList<Change> changes;

private:
    const Field &m_before;
    const Field &m_after;
};

} // namespace

QStringList allKinds()
{
    return {kRiderChanged, kRiderTooHeavy, kScratchedOrGone, kEmergencyOrBallot,
            kBarrier,      kWeight,        kRaceMoved,       kManagedJockeyNamed};
}

QList<Change> detect(const Field &before, const Field &after, const QList<BookedHorse> &bookings,
                     const QList<ManagedJockey> &managed)
{
    if (before.runners.isEmpty())
        return {};
    const QHash<QString, Entries> old = entriesByHorse(before);
    const QHash<QString, Entries> now = entriesByHorse(after);
    QHash<QString, const BookedHorse *> booked;
    for (const BookedHorse &booking : bookings)
        booked.insert(key(booking.horse), &booking);
    // The entry each booking belonged to, and the one it belongs to now (its race left: the first).
    QHash<QString, const Runner *> bookedBefore;
    QHash<QString, const Runner *> bookedAfter;
    for (auto it = booked.cbegin(); it != booked.cend(); ++it) {
        const Entries &entries = old.value(it.key());
        const Runner *found = bookedEntry(entries, **it, 0);
        const Runner *was = found ? found : entries.value(0);
        bookedBefore.insert(it.key(), was);
        const Entries &current = now.value(it.key());
        const Runner *is = bookedEntry(current, **it, was ? was->raceNumber : 0);
        bookedAfter.insert(it.key(), is ? is : current.value(0));
    }

    Detection detection(before, after);
    for (const Runner &runner : after.runners) {
        const QString horse = key(runner.horse);
        if (const BookedHorse *booking = booked.value(horse)) {
            if (bookedAfter.value(horse) != &runner)
                continue;
            const Runner *was = bookedBefore.value(horse);
            if (scratchedMarker(runner)) {
                if (!was || !scratchedMarker(*was))
                    detection.changes << Change{runner.raceNumber,
                                                runner.horse,
                                                kScratchedOrGone,
                                                was ? raceText(*was) : QString(),
                                                u"scratched"_s,
                                                booking->jockey,
                                                true};
                continue;
            }
            detection.followed(was, runner, booking->jockey, true);
            detection.bookedRider(was, runner, *booking);
            continue;
        }
        const std::optional<ManagedJockey> rider = managedRider(runner, managed);
        if (!rider)
            continue;
        const Runner *was = counterpart(old.value(horse), now.value(horse), runner);
        const std::optional<ManagedJockey> riderBefore = was ? managedRider(*was, managed) : std::nullopt;
        if (riderBefore && sameName(riderBefore->jockey, rider->jockey))
            detection.followed(was, runner, rider->jockey, false);
        else
            detection.changes << Change{runner.raceNumber,
                                        runner.horse,
                                        kManagedJockeyNamed,
                                        was ? was->jockey.trimmed() : QString(),
                                        runner.jockey.trimmed(),
                                        rider->jockey,
                                        false};
    }

    QSet<QString> scratched;
    for (const QString &horse : after.scratched)
        scratched.insert(key(horse));
    for (const Runner &was : before.runners) {
        const QString horse = key(was.horse);
        const BookedHorse *booking = booked.value(horse);
        if (!booking || now.contains(horse) || scratchedMarker(was) || bookedBefore.value(horse) != &was)
            continue;
        detection.changes << Change{was.raceNumber,
                                    was.horse,
                                    kScratchedOrGone,
                                    raceText(was),
                                    scratched.contains(horse) ? u"scratched"_s : u"not in the field"_s,
                                    booking->jockey,
                                    true};
    }
    return detection.changes;
}

} // namespace fieldchanges
