#include "FieldChanges.h"

#include "BookingOperations.h"
#include "people/RiderName.h"

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
    const QString rider = plainRiderName(runner.jockey);
    return !booking.fullName.trimmed().isEmpty() && !sameName(rider, booking.fullName.simplified()) &&
           (level == "ACP"_L1 || !rider.isEmpty());
}

// The weight is below the booked jockey's riding weight; said only when the rider is the booked one.
bool tooHeavy(const QString &level, const Runner &runner, const BookedHorse &booking)
{
    return !riderDiffers(level, runner, booking) && runner.weightTenths >= 1 &&
           booking.rideWeight > runner.weightTenths / 10.0;
}

std::optional<ManagedJockey> managedRider(const Runner &runner, const QList<ManagedJockey> &managed)
{
    const QString rider = plainRiderName(runner.jockey);
    if (rider.isEmpty())
        return std::nullopt;
    for (const ManagedJockey &jockey : managed) {
        if (sameName(rider, jockey.fullName.simplified()))
            return jockey;
    }
    return std::nullopt;
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
    void bookedRider(const Runner *old, const Runner &now, const BookedHorse &booking)
    {
        const QString &was = m_before.level;
        const QString &is = m_after.level;
        if (riderDiffers(is, now, booking)) {
            const bool known = old && riderDiffers(was, *old, booking) &&
                               sameName(plainRiderName(old->jockey), plainRiderName(now.jockey));
            if (!known)
                changes << Change{
                    now.raceNumber,       now.horse,      kRiderChanged, old ? old->jockey.trimmed() : QString(),
                    now.jockey.trimmed(), booking.jockey, true};
        } else if (tooHeavy(is, now, booking) && !(old && tooHeavy(was, *old, booking))) {
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
    QHash<QString, const Runner *> old;
    for (const Runner &runner : before.runners)
        old.insert(key(runner.horse), &runner);
    QHash<QString, const BookedHorse *> booked;
    for (const BookedHorse &booking : bookings)
        booked.insert(key(booking.horse), &booking);

    Detection detection(before, after);
    QSet<QString> present;
    for (const Runner &now : after.runners) {
        const QString horse = key(now.horse);
        present.insert(horse);
        const Runner *was = old.value(horse);
        if (const BookedHorse *booking = booked.value(horse)) {
            if (scratchedMarker(now)) {
                if (!was || !scratchedMarker(*was))
                    detection.changes << Change{
                        now.raceNumber,  now.horse, kScratchedOrGone, was ? raceText(*was) : QString(), u"scratched"_s,
                        booking->jockey, true};
                continue;
            }
            detection.followed(was, now, booking->jockey, true);
            detection.bookedRider(was, now, *booking);
            continue;
        }
        const std::optional<ManagedJockey> rider = managedRider(now, managed);
        if (!rider)
            continue;
        const std::optional<ManagedJockey> riderBefore = was ? managedRider(*was, managed) : std::nullopt;
        if (riderBefore && sameName(riderBefore->jockey, rider->jockey))
            detection.followed(was, now, rider->jockey, false);
        else
            detection.changes << Change{now.raceNumber,
                                        now.horse,
                                        kManagedJockeyNamed,
                                        was ? was->jockey.trimmed() : QString(),
                                        now.jockey.trimmed(),
                                        rider->jockey,
                                        false};
    }

    QSet<QString> scratched;
    for (const QString &horse : after.scratched)
        scratched.insert(key(horse));
    for (const Runner &was : before.runners) {
        const QString horse = key(was.horse);
        const BookedHorse *booking = booked.value(horse);
        if (!booking || present.contains(horse) || scratchedMarker(was))
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
