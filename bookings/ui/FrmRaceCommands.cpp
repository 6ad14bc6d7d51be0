// The race window's buttons and menu items: weights, ratings, form windows and the meeting report. The window
// itself is in FrmRace.cpp, its booking gestures in FrmRaceBookings.cpp.
#include "FrmRace.h"

#include "FrmBookingHistory.h"
#include "ListModel.h"
#include "MeetingPrintPreview.h"
#include "RunnerModel.h"
#include "bookings/BookingGestures.h"
#include "bookings/MainLists.h"
#include "bookings/RaceRunners.h"
#include "bookings/RatingUpdate.h"
#include "bookings/WeightCalculation.h"
#include "core/UserDialogs.h"
#include "core/ui/BusyPointer.h"
#include "db/Database.h"
#include "formdata/FormLookups.h"
#include "formdata/HorseForm.h"
#include "formdata/ui/FormWindows.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;
using namespace racewindow;

void FrmRace::calculateWeights()
{
    if (m_race < 1) {
        UserDialogs::instance().message(u"Ostrevan 2"_s, u"Click a runner of the race to calculate its weights."_s,
                                        UserDialogs::Icon::Information);
        return;
    }
    {
        BusyPointer busy;
        runGuarded([this] {
            const WeightResult result =
                CalculateWeights(m_meeting, m_race, cmbRaceType->currentText(), lblRaceTxt->text());
            if (result.outcome == WeightResult::Outcome::Done) {
                m_changed = true;
                loadRunners();
            }
        });
    }
}

void FrmRace::updateRatings()
{
    if (m_meetingView) {
        UserDialogs::instance().message(u"Access denied"_s, u"Only allowed in race view!"_s,
                                        UserDialogs::Icon::Information);
        return;
    }
    BusyPointer busy;
    runGuarded([this] {
        UpdateRatings(m_meeting, m_race, [](const QString &horse) -> std::optional<QString> {
            bool unreachable = false;
            const QString page = lookups::ratingLookUp(horse, &unreachable);
            return unreachable ? std::nullopt : std::optional<QString>(page);
        });
        m_changed = true;
        loadRunners();
    });
}

void FrmRace::updateExtras()
{
    BusyPointer busy;
    runGuarded([this] {
        reportSkippedForm(FetchHorseForm(m_meeting, static_cast<qint16>(m_meetingView ? 0 : m_race)));
        m_changed = true;
        loadRunners();
    });
}

void FrmRace::printMeeting()
{
    if (m_meeting.isEmpty())
        return;
    runGuarded([this] { showMeetingPrintPreview(this, m_meeting); });
}

void FrmRace::raceMenuChosen(int row, const QString &key)
{
    if (row < 1 || row > m_runners->rowCount() || m_runners->isGroupRow(row))
        return;
    const QString horse = m_runners->cellText(row, col::Horse).trimmed();
    if (key == "Horse Form"_L1)
        openHorseForm(this, horse);
    else if (key == "Rating"_L1)
        showRating(this, horse);
    else if (key == "Rego"_L1)
        showRegistration(this, horse);
    else if (key == "Jockey"_L1 && !m_runners->cellText(row, col::Jockey).isEmpty())
        openJockeyForm(this, m_runners->cellText(row, col::Jockey));
    else if (key == "Trainer"_L1)
        openTrainerForm(this, m_runners->cellText(row, col::Trainer), m_runners->cellText(row, col::FormTrainer));
    else if (key == "History"_L1)
        FrmBookingHistory::showFor(this, {.horse = horse});
}

void FrmRace::selectJockeyForIcons(int jockeyRow)
{
    QStringList names;
    for (int r = 1; r <= m_jockeys->rowCount(); ++r)
        names << m_jockeys->cellText(r, 1);
    const std::optional<QString> highlight = bookinggestures::selectJockeyForIcons(names.value(jockeyRow - 1), names);
    if (!highlight)
        return;
    for (int r = 1; r <= m_jockeys->rowCount(); ++r)
        m_jockeys->setCellIcon(r, 1,
                               !highlight->isEmpty() && names.at(r - 1) == *highlight ? mainlists::kPlacedIcon : 0);
    runGuarded([this] { loadRunners(); });
    for (QLineEdit *box : {txtTrainLocation, TxtTrainPhone, txtTrainMobile})
        box->clear();
}
