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

QString ScriptedDialogs::openFileName(QWidget *, const QStringList &filters, QString *selectedFilter)
{
    fileDialogFilters.append(filters);
    if (selectedFilter)
        *selectedFilter = chosenFilter.isEmpty() && !filters.isEmpty() ? filters.first() : chosenFilter;
    return fileNames.isEmpty() ? QString() : fileNames.takeFirst();
}

QString ScriptedDialogs::saveFileName(QWidget *parent, const QStringList &filters, QString *selectedFilter)
{
    return openFileName(parent, filters, selectedFilter);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Message &m : messages)
        out << m.text;
    return out;
}
