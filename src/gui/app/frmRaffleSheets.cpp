#include "frmRaffle.h"

#include <QPushButton>

void Tfmraffle::wireSheets()
{
    AdvGlowButton1->setEnabled(false);
    AdvGlowButton2->setEnabled(false);
    AdvGlowButton4->setEnabled(false);
}
