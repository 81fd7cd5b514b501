#pragma once

#include <QString>

/// Plays the draw screen's music. At most one sound plays at a time: every request replaces
/// the sound that is playing and returns at once. A file that cannot be found or played
/// gives the desktop's alert sound instead. The player outlives the draw screen, so a win
/// music or the closing sound goes on after the screen has closed.
class SoundPlayer
{
public:
    enum class Mode { Once, Loop };

    virtual ~SoundPlayer() = default;
    /// Plays the file (a relative path is taken from the current directory).
    virtual void play(const QString &path, Mode mode) = 0;

    /// The program's player; the default plays through QSoundEffect.
    static SoundPlayer &instance();
    /// Replaces the instance (tests); nullptr restores the default. Not owned.
    static void setInstance(SoundPlayer *player);
};
