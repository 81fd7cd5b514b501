#pragma once

#include <QString>

/// The program's settings, kept in System.INI, section "System". Each value is the text as
/// stored; a blank value means the default.
struct Settings
{
    QString backgroundPicture; ///< "Picture": the draw screen's background picture file
    QString drawMusic;         ///< "CJMusic": the music while a round rolls
    QString winMusic;          ///< "ZJMusic": the music when a round stops
    QString speed;             ///< "SD": the scroll speed, 0..100 (kept for the dialog only)

    /// Reads the settings file; a missing file, section or key reads as blank. Never fails.
    static Settings load(const QString &file);
    /// Writes all four values exactly as they stand. Throws WriteError; the values written
    /// before a failure keep their new texts.
    void save(const QString &file) const;
};

/// What the draw screen makes of the settings.
struct DrawScreenSettings
{
    /// The background picture file; empty for the built-in picture.
    QString picture;
    /// The music while a round rolls: the setting, or start.wav in the program's folder.
    QString drawMusic;
    /// The music when a round stops: the setting, or "end.wav" in the current directory.
    QString winMusic;

    static DrawScreenSettings from(const Settings &settings);
};

/// The scroll-bar position for an "SD" text: blank gives 0 (a new installation has none); a
/// whole number, also in the number format of the user's locale (rounded), or the words
/// true and false (1 and 0); the result kept within 0..100. Any other text throws
/// ConversionError "Could not convert variant of type (String) into type (Boolean)".
int speedPosition(const QString &text);
