#pragma once

#include <QWidget>

class QProgressBar;

/// The progress window of imports and exports: a borderless 305 × 26 window at (372, 300)
/// holding one green bar from 0 to 100. Each step redraws the bar at once, because the
/// operation that advances it keeps the UI thread until it ends. While work whose length is
/// not known runs off the UI thread (an import reading its file), the bar shows it is busy.
class ProgressPopup final : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressPopup(QWidget *parent = nullptr);
    /// Closes the window also when the operation ends with an error.
    ~ProgressPopup() override { close(); }

    /// Busy: the bar moves without a position. Not busy: it stands at 0 of 100 again.
    void setBusy(bool busy);
    /// Advances the bar by one; past 100 it stays full.
    void step();
    int position() const;

private:
    QProgressBar *m_bar;
};
