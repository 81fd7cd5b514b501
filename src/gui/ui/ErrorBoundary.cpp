#include "gui/ui/ErrorBoundary.h"

#include "core/base/Error.h"
#include "gui/ui/Dialogs.h"

#include <QApplication>

namespace ErrorBoundary {

QString title()
{
    return QStringLiteral("Kestrano抽奖软件");
}

QString displayText(const QString &text)
{
    if (text.isEmpty() || text.back() <= QLatin1Char('.'))
        return text;
    // A Chinese sentence ends in its own full stop or bracket; a '.' after it reads as a typo.
    if (QStringView(u"。！？）”").contains(text.back()))
        return text;
    return text + QLatin1Char('.');
}

void report(const std::exception &error)
{
    const auto *own = dynamic_cast<const Error *>(&error);
    const QString text = own ? own->text() : QString::fromLocal8Bit(error.what());
    Dialogs::instance().message(QApplication::activeWindow(), displayText(text), title(), Dialogs::Icon::Error,
                                Dialogs::Buttons::Ok);
}

} // namespace ErrorBoundary
