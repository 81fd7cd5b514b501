#include "ErrorHandler.h"

#include "Dialogs.h"
#include "data/CjError.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace ErrorHandler {

QString title()
{
    return QStringLiteral("Kestrano抽奖软件");
}

QString displayText(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void report(const std::exception &error)
{
    const auto *own = dynamic_cast<const CjError *>(&error);
    const QString text = own ? own->text() : QString::fromLocal8Bit(error.what());
    Dialogs::instance().message(QApplication::activeWindow(), displayText(text), title(), Dialogs::Icon::Error,
                                Dialogs::Buttons::Ok);
}

} // namespace ErrorHandler

CjApplication::CjApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(ErrorHandler::title());
    // Message-box buttons read 确定 and 取消, as the operators expect.
    auto *translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

bool CjApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ErrorHandler::report(e);
    }
    return false;
}
