#include "gui/draw/StretchedPicture.h"

#include <QMouseEvent>
#include <QPainter>

StretchedPicture::StretchedPicture(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StretchedPicture::setPicture(const QImage &picture)
{
    m_picture = picture;
    m_scaled = QPixmap();
    update();
}

void StretchedPicture::resizeEvent(QResizeEvent *event)
{
    m_scaled = QPixmap();
    QWidget::resizeEvent(event);
}

void StretchedPicture::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    if (m_picture.isNull()) {
        p.fillRect(event->rect(), Qt::black);
        return;
    }
    if (m_scaled.size() != size())
        m_scaled = QPixmap::fromImage(m_picture.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    p.drawPixmap(event->rect(), m_scaled, event->rect());
}

void StretchedPicture::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    event->accept();
}

void StretchedPicture::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_pressed && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

void StretchedPicture::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double-click is no click of its own: one double-click, one click.
    event->accept();
}
