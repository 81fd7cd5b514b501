#pragma once

#include "gui/ui/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

/// A scripted stand-in for tests: records every question and answers from a queue.
class ScriptedDialogs final : public Dialogs
{
public:
    struct Message
    {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    ScriptedDialogs() { setInstance(this); }
    ~ScriptedDialogs() override { setInstance(nullptr); }

    /// Answers for OK/Cancel questions, taken in order; when none is queued, OK.
    QList<bool> answers;
    /// File names for open/save dialogs, taken in order; "" or none queued means cancel.
    QStringList fileNames;
    /// Filter reported as chosen by the file dialogs (empty: the first filter offered).
    QString chosenFilter;

    /// Answers for choose() (button index, -1 for Escape) and chooseItem(), taken in order;
    /// when none is queued, the default button and the first item.
    QList<int> choices;
    /// Answers for askText(), taken in order; nothing means cancel; when none is queued, the
    /// text offered.
    QList<std::optional<QString>> textAnswers;

    QList<Message> messages;
    QList<QStringList> fileDialogFilters;
    /// The folder each file dialog was to start in, in order (empty: none given).
    QStringList fileDialogFolders;
    /// The buttons of each choose() and the items of each chooseItem(), in order.
    QList<QStringList> offeredButtons;
    QList<QStringList> offeredItems;
    /// Called while a message is being "shown" (a test can look at windows then).
    std::function<void(const Message &)> onMessage;

    bool message(QWidget *, const QString &text, const QString &caption, Icon icon, Buttons buttons) override;
    QString openFileName(QWidget *, const QString &folder, const QStringList &filters,
                         QString *selectedFilter) override;
    QString saveFileName(QWidget *, const QString &folder, const QStringList &filters,
                         QString *selectedFilter) override;
    int choose(QWidget *, const QString &text, const QString &caption, const QStringList &buttons,
               int defaultButton) override;
    std::optional<QString> askText(QWidget *, const QString &label, const QString &caption,
                                   const QString &initial) override;
    int chooseItem(QWidget *, const QString &label, const QString &caption, const QStringList &items) override;

    QStringList texts() const;
};
