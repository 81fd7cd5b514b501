#include "gui/app/Application.h"

#include "gui/ui/ErrorBoundary.h"

#include <QLibraryInfo>
#include <QTranslator>

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("kestrano-raffle"));
    setApplicationDisplayName(ErrorBoundary::title());
    setDesktopFileName(QStringLiteral("com.kestrano.raffle"));
    // Message-box buttons read 确定 and 取消, as the operators expect.
    auto *translator = new QTranslator(this);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        ErrorBoundary::report(e);
    }
    return false;
}
