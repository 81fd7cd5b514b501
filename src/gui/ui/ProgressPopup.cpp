#include "gui/ui/ProgressPopup.h"

#include <QProgressBar>
#include <QVBoxLayout>

ProgressPopup::ProgressPopup(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("progressPopup"));
    setWindowTitle(QStringLiteral("进度"));
    setAccessibleName(QStringLiteral("进度"));
    setGeometry(372, 300, 305, 26);
    setFixedSize(305, 26);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setAccessibleName(QStringLiteral("进度"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setAlignment(Qt::AlignCenter);
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(13);
    m_bar->setFont(f);
    m_bar->setStyleSheet(QStringLiteral("QProgressBar { border: 1px solid #6c7a89; background: #f0f0f0; color: black; }"
                                        "QProgressBar::chunk { background: #00ff00; }"));
    layout->addWidget(m_bar);
}

void ProgressPopup::setBusy(bool busy)
{
    m_bar->setRange(0, busy ? 0 : 100);
    m_bar->setValue(0);
}

void ProgressPopup::step()
{
    if (m_bar->value() >= m_bar->maximum())
        return;
    m_bar->setValue(m_bar->value() + 1);
    if (isVisible())
        m_bar->repaint(); // now, without a return to the event loop
}

int ProgressPopup::position() const
{
    return m_bar->value();
}
