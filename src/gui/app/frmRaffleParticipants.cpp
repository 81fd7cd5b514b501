#include "frmRaffle.h"

#include <QPushButton>

void Tfmraffle::wireParticipantPage()
{
    btn_Add->setEnabled(false);
    btn_Del->setEnabled(false);
}
