#include "gui/ui/WindowDragger.h"

#include <QMouseEvent>
#include <QWidget>

WindowDragger::WindowDragger(QWidget *handle)
    : QObject(handle)
    , m_handle(handle)
{
    handle->installEventFilter(this);
}

bool WindowDragger::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *window = m_handle->window();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() == Qt::LeftButton) {
            m_dragging = true;
            m_offset = e->globalPosition().toPoint() - window->frameGeometry().topLeft();
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (m_dragging && (e->buttons() & Qt::LeftButton)) {
            window->move(e->globalPosition().toPoint() - m_offset);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
