#pragma once

#include <QApplication>
#include <QString>

#include <exception>

/// The application's default error handler: an error that ends a handler is shown with its
/// own text in the standard error box (the program's title as caption, OK button) and the
/// program goes on.
namespace ErrorHandler {

/// The text as shown: a full stop is appended when the last character sorts after '.'.
QString displayText(const QString &text);
/// Shows the error box for the exception.
void report(const std::exception &error);
/// The caption of every error box (the application's title).
QString title();

/// Runs a handler; an error it throws goes to report() instead of into Qt's event code.
template<typename Fn>
void guarded(Fn &&fn)
{
    try {
        fn();
    } catch (const std::exception &e) {
        report(e);
    }
}

} // namespace ErrorHandler

/// Connects a signal to a window's handler through the default error handler.
template<typename Sender, typename Signal, typename Receiver, typename Method>
void connectHandler(Sender *sender, Signal signal, Receiver *receiver, Method method)
{
    QObject::connect(sender, signal, receiver, [receiver, method] { ErrorHandler::guarded([&] { (receiver->*method)(); }); });
}

/// The application object: errors escaping any event handler reach the default handler.
class CjApplication final : public QApplication
{
public:
    CjApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
