#pragma once

#include <QApplication>

/// The application object: Chinese button texts in the standard dialogs, and any error that
/// escapes an event handler reaches the error boundary instead of ending the program.
class Application final : public QApplication
{
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
