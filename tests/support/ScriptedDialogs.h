#pragma once

#include "gui/ui/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

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

    QList<Message> messages;
    QList<QStringList> fileDialogFilters;
    /// Called while a message is being "shown" (a test can look at windows then).
    std::function<void(const Message &)> onMessage;

    bool message(QWidget *, const QString &text, const QString &caption, Icon icon, Buttons buttons) override;
    QString openFileName(QWidget *, const QStringList &filters, QString *selectedFilter) override;
    QString saveFileName(QWidget *, const QStringList &filters, QString *selectedFilter) override;

    QStringList texts() const;
};
