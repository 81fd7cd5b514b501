#include "gui/draw/ScreenChoice.h"

#include <QGuiApplication>
#include <QScreen>

namespace ScreenChoice {

namespace {

int indexOfName(const QList<ScreenInfo> &screens, const QString &name)
{
    if (name.isEmpty())
        return -1;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (screens.at(i).name == name)
            return int(i);
    }
    return -1;
}

QList<ScreenInfo> infosOf(const QList<QScreen *> &screens)
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    QList<ScreenInfo> out;
    for (const QScreen *screen : screens)
        out.append({screen->name(), screen->geometry(), screen == primary});
    return out;
}

} // namespace

QString primaryLabel()
{
    return QStringLiteral("主显示器");
}

QStringList labels(const QList<ScreenInfo> &screens)
{
    QStringList out{primaryLabel()};
    for (const ScreenInfo &screen : screens) {
        out.append(
            QStringLiteral("%1 (%2×%3)")
                .arg(screen.name, QString::number(screen.geometry.width()), QString::number(screen.geometry.height())));
    }
    return out;
}

QString keyOf(const QList<ScreenInfo> &screens, int choice)
{
    if (choice < 1 || choice > screens.size())
        return QString();
    return screens.at(choice - 1).name;
}

int choiceOf(const QList<ScreenInfo> &screens, const QString &key)
{
    return indexOfName(screens, key) + 1;
}

int resolve(const QList<ScreenInfo> &screens, const QString &key)
{
    if (screens.isEmpty())
        return -1;
    const int named = indexOfName(screens, key);
    if (named >= 0)
        return named;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        if (screens.at(i).primary)
            return int(i);
    }
    return 0;
}

QList<ScreenInfo> currentScreens()
{
    return infosOf(QGuiApplication::screens());
}

QScreen *screenFor(const QString &key)
{
    // One reading of the list, so that the index found is one of its screens.
    const QList<QScreen *> screens = QGuiApplication::screens();
    const int index = resolve(infosOf(screens), key);
    return index >= 0 ? screens.at(index) : nullptr;
}

} // namespace ScreenChoice
