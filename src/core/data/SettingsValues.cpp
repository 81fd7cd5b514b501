#include "SettingsValues.h"

#include "AdvInit.h"
#include "AppPaths.h"
#include "CjError.h"
#include "TextUtil.h"

#include <QLocale>

#include <cmath>

namespace SettingsValues {

DrawScreen readDrawScreen()
{
    const TAdvInit ini(AppPaths::settingsFile());
    const QString section = QString::fromLatin1(Section);
    const QString picture = ini.ReadValue(section, QStringLiteral("Picture")).toString();
    const QString draw = ini.ReadValue(section, QStringLiteral("CJMusic")).toString();
    const QString win = ini.ReadValue(section, QStringLiteral("ZJMusic")).toString();
    DrawScreen s;
    s.picture = cj::isBlank(picture) ? QString() : picture;
    s.drawMusic = cj::isBlank(draw) ? AppPaths::exeDir() + QStringLiteral("/start.wav") : draw;
    // Relative on purpose: the win music is looked for in the current directory.
    s.winMusic = cj::isBlank(win) ? QStringLiteral("end.wav") : win;
    return s;
}

int speedPosition(const QString &text)
{
    if (cj::isBlank(text))
        return 0;
    int value = 0;
    if (!cj::tryToInteger(text, &value)) {
        const QString t = cj::trimmed(text);
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
            throw ConvertError(QStringLiteral("Could not convert variant of type (String) into type (Boolean)"));
        }
    }
    return qBound(0, value, 100);
}

} // namespace SettingsValues
