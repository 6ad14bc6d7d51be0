#pragma once

#include "TableGridDialog.h"

// The booking-template editor: the texts the booking lists offer, in sequence order.
class frmBookingTemplate final : public TableGridDialog
{
    Q_OBJECT
public:
    explicit frmBookingTemplate(QWidget *parent = nullptr);
};
