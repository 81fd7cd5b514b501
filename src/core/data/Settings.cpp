#include "core/data/Settings.h"

#include "core/base/Error.h"
#include "core/base/Text.h"
#include "core/data/AppPaths.h"
#include "core/data/IniFile.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace {

const QString Section = QStringLiteral("System");
const QString PictureKey = QStringLiteral("Picture");
const QString DrawMusicKey = QStringLiteral("CJMusic");
const QString WinMusicKey = QStringLiteral("ZJMusic");
const QString SpeedKey = QStringLiteral("SD");
const QString ScreenKey = QStringLiteral("Screen");
const QString HideDigitsKey = QStringLiteral("HideDigits");
const QString SheetFolderKey = QStringLiteral("SheetFolder");
const QString MediaFolderKey = QStringLiteral("MediaFolder");

} // namespace

Settings Settings::load(const QString &file)
{
    const IniFile ini(file);
    Settings s;
    s.backgroundPicture = ini.value(Section, PictureKey);
    s.drawMusic = ini.value(Section, DrawMusicKey);
    s.winMusic = ini.value(Section, WinMusicKey);
    s.speed = ini.value(Section, SpeedKey);
    s.drawScreen = ini.value(Section, ScreenKey);
    s.hideDigitsAtReveal = ini.value(Section, HideDigitsKey);
    s.sheetFolder = ini.value(Section, SheetFolderKey);
    s.mediaFolder = ini.value(Section, MediaFolderKey);
    return s;
}

void Settings::save(const QString &file) const
{
    IniFile ini(file);
    ini.setValue(Section, PictureKey, backgroundPicture);
    ini.setValue(Section, DrawMusicKey, drawMusic);
    ini.setValue(Section, WinMusicKey, winMusic);
    ini.setValue(Section, SpeedKey, speed);
    ini.setValue(Section, ScreenKey, drawScreen);
    ini.setValue(Section, HideDigitsKey, hideDigitsAtReveal);
}

void Settings::rememberFolder(const QString &file, const QString &chosenFile, bool media)
{
    IniFile(file).setValue(Section, media ? MediaFolderKey : SheetFolderKey, QFileInfo(chosenFile).absolutePath());
}

DrawScreenSettings DrawScreenSettings::from(const Settings &settings)
{
    DrawScreenSettings s;
    s.picture = Text::isBlank(settings.backgroundPicture) ? QString() : settings.backgroundPicture;
    s.drawMusic =
        Text::isBlank(settings.drawMusic) ? AppPaths::exeDir() + QStringLiteral("/start.wav") : settings.drawMusic;
    // Relative on purpose: the win music is looked for in the current directory.
    s.winMusic = Text::isBlank(settings.winMusic) ? QStringLiteral("end.wav") : settings.winMusic;
    s.screen = settings.drawScreen;
    s.hideDigits = Text::trimmed(settings.hideDigitsAtReveal) == QLatin1String("1");
    return s;
}

int speedPosition(const QString &text)
{
    if (Text::isBlank(text))
        return 0;
    int value = 0;
    if (!Text::tryToInteger(text, &value)) {
        const QString t = Text::trimmed(text);
        bool ok = false;
        double d = QLocale::system().toDouble(t, &ok);
        if (!ok)
            d = QLocale::c().toDouble(t, &ok);
        if (ok && std::isfinite(d)) {
            value = d >= 100 ? 100 : d <= 0 ? 0 : int(std::lround(d));
        } else if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            value = 1;
        } else if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            value = 0;
        } else {
            throw ConversionError(QStringLiteral("Could not convert variant of type (String) into type (Boolean)"));
        }
    }
    return qBound(0, value, 100);
}
