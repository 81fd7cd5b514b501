#include "frmRaffle.h"

#include <QPushButton>

void Tfmraffle::wirePrizePage()
{
    AdvGlowButton9->setEnabled(false);
    AdvGlowButton8->setEnabled(false);
}
