#include "frm_spin.h"

#include <QProgressBar>
#include <QVBoxLayout>

Tform_spin::Tform_spin(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("form_spin"));
    setWindowTitle(QStringLiteral("form_spin"));
    setAccessibleName(QStringLiteral("进度"));
    setGeometry(372, 300, 305, 26);
    setFixedSize(305, 26);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    AdvProgressBar1 = new QProgressBar(this);
    AdvProgressBar1->setObjectName(QStringLiteral("AdvProgressBar1"));
    AdvProgressBar1->setAccessibleName(QStringLiteral("进度"));
    AdvProgressBar1->setRange(0, 100);
    AdvProgressBar1->setValue(0);
    AdvProgressBar1->setAlignment(Qt::AlignCenter);
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(13);
    AdvProgressBar1->setFont(f);
    AdvProgressBar1->setStyleSheet(QStringLiteral(
        "QProgressBar { border: 1px solid #6c7a89; background: #f0f0f0; color: black; }"
        "QProgressBar::chunk { background: #00ff00; }"));
    layout->addWidget(AdvProgressBar1);
}

void Tform_spin::step()
{
    ++m_asked;
    if (AdvProgressBar1->value() >= AdvProgressBar1->maximum())
        return;
    AdvProgressBar1->setValue(AdvProgressBar1->value() + 1);
    if (isVisible())
        AdvProgressBar1->repaint(); // now, without a return to the event loop
}

int Tform_spin::position() const
{
    return AdvProgressBar1->value();
}
