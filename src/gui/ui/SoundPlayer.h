#pragma once

#include <QString>
#include <QUrl>

/// Plays the draw screen's music. At most one sound plays at a time: every request replaces
/// the sound that is playing and returns at once. The player outlives the draw screen, so a
/// win music or the closing sound goes on after the screen has closed.
class SoundPlayer
{
public:
    enum class Mode { Once, Loop };

    virtual ~SoundPlayer() = default;
    /// Plays the file (a relative path is taken from the current directory); when it is
    /// missing or cannot be played, the sound built into the program for that moment
    /// (@p builtIn, a resource path such as ":/sounds/end.wav").
    virtual void play(const QString &path, Mode mode, const QString &builtIn) = 0;

    /// What play() plays: the file when there is one at @p path, otherwise @p builtIn.
    static QUrl source(const QString &path, const QString &builtIn);

    /// The program's player; the default plays through QSoundEffect.
    static SoundPlayer &instance();
    /// Replaces the instance (tests); nullptr restores the default. Not owned.
    static void setInstance(SoundPlayer *player);
};
