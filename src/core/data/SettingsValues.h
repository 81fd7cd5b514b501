#pragma once

#include <QString>

/// What the windows make of the values of the settings file (section "System").
namespace SettingsValues {

inline constexpr char Section[] = "System";

/// The three settings of the draw screen, resolved.
struct DrawScreen
{
    /// Background picture path as stored; empty when the setting is blank (built-in picture).
    QString picture;
    /// Music while a round rolls: the setting as stored, or <exe folder>/start.wav.
    QString drawMusic;
    /// Music when a round stops: the setting as stored, or "end.wav" in the current directory.
    QString winMusic;
};

/// Reads Picture, CJMusic and ZJMusic from the settings file. Never fails.
DrawScreen readDrawScreen();

/// The scroll-bar position for an SD text: blank gives 0 (a new installation has none); a
/// whole number, also in the number format of the user's locale (rounded), or the words
/// true and false (1 and 0); the result kept within 0..100. Any other text throws
/// ConvertError "Could not convert variant of type (String) into type (Boolean)".
int speedPosition(const QString &text);

} // namespace SettingsValues
