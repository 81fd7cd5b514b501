#pragma once

#include <QDialog>

/// "联系我们": a small borderless information dialog with a caption bar that can be dragged.
class TfmRelation final : public QDialog
{
    Q_OBJECT
public:
    explicit TfmRelation(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QPoint m_dragOffset;
    bool m_dragging = false;
};
