#pragma once

#include <QObject>
#include <QPoint>

class QWidget;

/// Lets the operator move a borderless window by dragging one of its widgets (its caption
/// bar) with the left mouse button.
class WindowDragger final : public QObject
{
    Q_OBJECT

public:
    /// Installs itself on @p handle; the window moved is the handle's top-level window.
    explicit WindowDragger(QWidget *handle);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_handle;
    QPoint m_offset;
    bool m_dragging = false;
};
