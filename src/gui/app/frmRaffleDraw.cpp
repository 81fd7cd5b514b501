#include "frmRaffle.h"

#include <QAction>
#include <QPushButton>

void Tfmraffle::wireDraw()
{
    N2->setEnabled(false);
    N3->setEnabled(false);
    AdvGlowButton3->setEnabled(false);
}
