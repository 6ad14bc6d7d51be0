#include "frmBookingTemplate.h"

using namespace Qt::Literals::StringLiterals;

frmBookingTemplate::frmBookingTemplate(QWidget *parent)
    : TableGridDialog(ratetables::bookingTemplateTable(), u"dgBookingTemplate"_s, u"Booking Templates"_s,
                      u"Note: This form lets you setup status templates to Describe the Status of Bookings of Jockeys "
                      "against Nominations. These will appear in a drop down box on booking Status when Edit is "
                      "Selected."_s,
                      parent)
{
    setObjectName(u"frmBookingTemplate"_s);
}
