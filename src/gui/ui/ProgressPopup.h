#pragma once

#include <QWidget>

class QProgressBar;

/// The progress window of imports and exports: a borderless 305 × 26 window at (372, 300)
/// holding one green bar from 0 to 100. Each step redraws the bar at once, because the
/// operation that advances it keeps the UI thread until it ends.
class ProgressPopup final : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressPopup(QWidget *parent = nullptr);
    /// Closes the window also when the operation ends with an error.
    ~ProgressPopup() override { close(); }

    /// Advances the bar by one; past 100 it stays full.
    void step();
    int position() const;

private:
    QProgressBar *m_bar;
};
