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
    /// "Screen": the name of the screen the draw is shown on; blank for the primary screen.
    QString drawScreen;
    /// "HideDigits": "1" keeps the middle four digits of a winner's number hidden on the
    /// tiles at the reveal (the notification and the results still show them); blank or "0"
    /// shows the whole number.
    QString hideDigitsAtReveal;
    /// "SheetFolder": the folder an import or export dialog last went to.
    QString sheetFolder;
    /// "MediaFolder": the folder the settings dialog last found a picture or music in.
    QString mediaFolder;

    /// Reads the settings file; a missing file, section or key reads as blank. Never fails.
    static Settings load(const QString &file);
    /// Writes the settings the settings dialog edits (every value above but the two
    /// folders) exactly as they stand. Throws WriteError; the values written before a failure
    /// keep their new texts.
    void save(const QString &file) const;
    /// Remembers the folder of a file just chosen in an import or export dialog, or in the
    /// settings dialog (@p media). Throws WriteError.
    static void rememberFolder(const QString &file, const QString &chosenFile, bool media);
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
    /// The screen the draw is shown on (see Settings::drawScreen).
    QString screen;
    /// Whether the middle four digits stay hidden at the reveal.
    bool hideDigits = false;

    static DrawScreenSettings from(const Settings &settings);
};

/// The scroll-bar position for an "SD" text: blank gives 0 (a new installation has none); a
/// whole number, also in the number format of the user's locale (rounded), or the words
/// true and false (1 and 0); the result kept within 0..100. Any other text throws
/// ConversionError "Could not convert variant of type (String) into type (Boolean)".
int speedPosition(const QString &text);
