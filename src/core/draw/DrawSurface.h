#pragma once

#include <QString>

/// What the roll worker needs from the screen. Both calls are made on the UI thread only:
/// the worker hands its values over and waits until they have been applied.
class RollSink
{
public:
    virtual ~RollSink();

    /// Shows @p text on tile row @p row (tiles row * 11 to row * 11 + 10), one character per
    /// tile, empty captions past the end of the text (see tileCaption()).
    virtual void showTileRow(int row, const QString &text) = 0;

    /// Shows a warning message box (warning icon, OK button). The worker does not wait on
    /// it (it ends right after handing the warning over), so the box may run its own event
    /// loop and a stop may come meanwhile.
    virtual void showWarning(const QString &text, const QString &caption) = 0;

    /// Tells the operator that the roll stopped because the participants could not be read
    /// (@p reason is the database's message). Like showWarning(), the worker does not wait.
    virtual void rollFailed(const QString &reason) = 0;
};

/// Everything the draw engine asks of the draw screen. Implemented by the draw screen and
/// faked in tests. Every call is made on the UI thread.
///
/// showTileRow runs while the worker waits on it, and the calls below run in the middle of a
/// stop: none of them may call DrawEngine::stop() or DrawEngine::halt().
class DrawSurface : public RollSink
{
public:
    ~DrawSurface() override;

    /// Shows a winner at the reveal: the full number on tile row @p row and the name beside it.
    /// A row with nobody to show gets the empty number and name.
    virtual void revealRow(int row, const QString &phone, const QString &name) = 0;
    /// Starts the win music once, asynchronously, replacing the music that plays.
    virtual void playWinMusic() = 0;
    /// Adds one line (it ends with "\r") to the text of the corner notification.
    virtual void addNotificationLine(const QString &line) = 0;
    /// Shows the corner notification with the lines it holds.
    virtual void showNotification() = 0;
};
