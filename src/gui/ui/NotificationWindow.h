#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

class QPushButton;

/// The draw screen's corner notification: one message of text lines in a
/// small window in the lower right corner of the work area, sized to its text. It never
/// hides by itself; its close button hides it. It fades in to an opacity of 220 of 255 in
/// steps of 2 every 10 ms, and it stays above the draw screen without taking the keyboard
/// focus, so that clicks and Enter keep reaching the screen.
class NotificationWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr int TargetOpacity = 220; // of 255
    static constexpr int FadeStep = 2;
    static constexpr int FadeIntervalMs = 10;

    explicit NotificationWindow(QWidget *parent);

    /// Sizes for the screen it shows on: its text font, margins, caption bar, least width and
    /// the close button's font (pixels); the work area it sits in the lower right corner of.
    /// Before it is called: 11, 4, 18, 180, 12 on the primary screen.
    void setMetrics(int fontPixelSize, int margin, int captionHeight, int minimumWidth, int closeFontPixelSize);
    void setWorkArea(const QRect &workArea);
    /// The highest the window may reach (screen y), so that it stays clear of what stands
    /// above it; -1 for the whole work area. Lines that do not fit under it go on in further
    /// columns.
    void setTopLimit(int top);
    const QFont &textFont() const { return m_textFont; }

    /// The message's lines as added; a carriage return inside or at the end of a line
    /// breaks it on screen.
    QStringList lines() const { return m_lines; }
    /// The lines as they appear on screen.
    QStringList displayLines() const;
    void clearText();
    void addLine(const QString &line);

    /// Sizes the window to its text, puts it in the corner and fades it in.
    void fadeIn();
    /// Hides the window and stops a fade still in progress.
    void dismiss();

    /// Current opacity step, 0..TargetOpacity.
    int opacityStep() const { return m_opacity; }
    bool isFading() const { return m_fade.isActive(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fadeTick();
    void relayout();
    QRect workArea() const;
    static int columnGap(const QFontMetrics &fm);

    QStringList m_lines;
    QTimer m_fade;
    int m_opacity = 0;
    QFont m_textFont;
    QPushButton *m_close;
    int m_margin = 4;
    int m_captionHeight = 18;
    int m_minimumWidth = 180;
    QRect m_workArea;
    int m_topLimit = -1;
    int m_linesPerColumn = 1;
    QList<int> m_columnWidths;
};
