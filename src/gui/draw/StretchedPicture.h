#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

/// A picture stretched over the whole widget (the draw screen's background). The
/// scaled copy is made once per size and reused for every repaint, so tiles changing their
/// captions above it cost no rescaling. A left click is reported as clicked().
class StretchedPicture final : public QWidget
{
    Q_OBJECT
public:
    explicit StretchedPicture(QWidget *parent = nullptr);

    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_picture;
    QPixmap m_scaled;
    bool m_pressed = false;
};
