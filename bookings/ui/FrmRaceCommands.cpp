// The race window's buttons: weights, ratings, form and the meeting report. Kept apart from the
// window's lists and gestures in FrmRace.cpp.
#include "FrmRace.h"

#include "MeetingPrintPreview.h"
#include "bookings/RatingUpdate.h"
#include "bookings/WeightCalculation.h"
#include "core/UserDialogs.h"
#include "core/ui/BusyPointer.h"
#include "db/Database.h"
#include "formdata/HorseForm.h"
#include "formdata/RatingLookup.h"

#include <QComboBox>
#include <QLabel>

using namespace Qt::Literals::StringLiterals;

void FrmRace::calculateWeights()
{
    if (m_race < 1) {
        UserDialogs::instance().message(u"Ostrevan 2"_s, u"Click a runner of the race to calculate its weights."_s,
                                        UserDialogs::Icon::Information);
        return;
    }
    {
        BusyPointer busy;
        guarded([this] {
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
    guarded([this] {
        UpdateRatings(m_meeting, m_race, fetchRatingPage);
        m_changed = true;
        loadRunners();
    });
}

void FrmRace::updateExtras()
{
    BusyPointer busy;
    guarded([this] {
        FetchHorseForm(m_meeting, static_cast<qint16>(m_meetingView ? 0 : m_race));
        m_changed = true;
        loadRunners();
    });
}

void FrmRace::printMeeting()
{
    if (m_meeting.isEmpty())
        return;
    guarded([this] { showMeetingPrintPreview(this, m_meeting); });
}
