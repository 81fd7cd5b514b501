#pragma once

#include <QObject>
#include <QString>

#include <exception>

/// The one place where an error that ends a handler is shown: the standard error box with
/// the error's own text, the program's title as caption and an OK button; the program then
/// goes on. Exceptions never cross Qt's event loop.
namespace ErrorBoundary {

/// The program's title, the caption of every error box.
QString title();
/// The text as shown: a full stop is appended when the last character sorts after '.',
/// unless the text ends in Chinese closing punctuation (。！？）”).
QString displayText(const QString &text);
/// Shows the error box for the exception.
void report(const std::exception &error);

/// Runs a handler; an error it throws goes to report() instead of into Qt's event code.
template <typename Fn> void guarded(Fn &&fn)
{
    try {
        fn();
    } catch (const std::exception &e) {
        report(e);
    }
}

} // namespace ErrorBoundary

/// Connects a signal to a handler of the receiver through the error boundary.
template <typename Sender, typename Signal, typename Receiver, typename Method>
void connectGuarded(Sender *sender, Signal signal, Receiver *receiver, Method method)
{
    QObject::connect(sender, signal, receiver,
                     [receiver, method] { ErrorBoundary::guarded([&] { (receiver->*method)(); }); });
}
