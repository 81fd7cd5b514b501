#include "ScriptedDialogs.h"

bool ScriptedDialogs::message(QWidget *, const QString &text, const QString &caption, Icon icon, Buttons buttons)
{
    const Message m{text, caption, icon, buttons};
    messages.append(m);
    if (onMessage)
        onMessage(m);
    if (buttons == Buttons::Ok)
        return true;
    return answers.isEmpty() ? true : answers.takeFirst();
}

QString ScriptedDialogs::openFileName(QWidget *, const QString &folder, const QStringList &filters,
                                      QString *selectedFilter)
{
    fileDialogFilters.append(filters);
    fileDialogFolders.append(folder);
    if (selectedFilter)
        *selectedFilter = chosenFilter.isEmpty() && !filters.isEmpty() ? filters.first() : chosenFilter;
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget *parent, const QString &folder, const QStringList &filters,
                                      QString *selectedFilter)
{
    return openFileName(parent, folder, filters, selectedFilter);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Message &m : messages)
        out << m.text;
    return out;
}

int ScriptedDialogs::choose(QWidget *, const QString &text, const QString &caption, const QStringList &buttons,
                            int defaultButton)
{
    const Message m{text, caption, Icon::Information, Buttons::OkCancel};
    messages.append(m);
    offeredButtons.append(buttons);
    if (onMessage)
        onMessage(m);
    return choices.isEmpty() ? defaultButton : choices.takeFirst();
}

std::optional<QString> ScriptedDialogs::askText(QWidget *, const QString &label, const QString &caption,
                                                const QString &initial)
{
    messages.append({label, caption, Icon::Information, Buttons::OkCancel});
    return textAnswers.isEmpty() ? std::optional(initial) : textAnswers.takeFirst();
}

int ScriptedDialogs::chooseItem(QWidget *, const QString &label, const QString &caption, const QStringList &items)
{
    messages.append({label, caption, Icon::Information, Buttons::OkCancel});
    offeredItems.append(items);
    return choices.isEmpty() ? 0 : choices.takeFirst();
}
