#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QScreen;

/// A screen as the choice of the draw's screen sees it.
struct ScreenInfo
{
    QString name; ///< QScreen::name(): the connector or display, steady from one start to the next
    QRect geometry;
    bool primary = false;
};

/// The screen the draw opens on. The settings list "主显示器" (whichever screen is primary at
/// the time) and then every screen by name and size; the choice is stored as the screen's
/// name, or as the empty text for "主显示器". A stored screen that is not there at the next
/// start quietly gives way to the primary screen: the draw goes on, on the screen there is.
namespace ScreenChoice {

/// The first choice.
QString primaryLabel();

/// The choices as the settings show them: primaryLabel(), then "<name> (<width>×<height>)"
/// for each of @p screens in their order.
QStringList labels(const QList<ScreenInfo> &screens);

/// The key stored for choice @p choice of labels(): the empty text for the primary screen
/// (and for a choice outside the list), else the screen's name.
QString keyOf(const QList<ScreenInfo> &screens, int choice);

/// The choice of labels() to show as selected for the stored @p key: the screen of that
/// name, or the primary screen (0) when the key is empty or names no screen of the list.
int choiceOf(const QList<ScreenInfo> &screens, const QString &key);

/// The index in @p screens of the screen the draw opens on for the stored @p key: the screen
/// of that name; else the primary one (the first when none is marked primary); -1 only for
/// an empty list.
int resolve(const QList<ScreenInfo> &screens, const QString &key);

/// The application's screens, the primary one marked.
QList<ScreenInfo> currentScreens();

/// The screen the draw opens on for the stored @p key, by resolve() over currentScreens();
/// null only when the application has no screen at all.
QScreen *screenFor(const QString &key);

} // namespace ScreenChoice
