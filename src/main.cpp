#include "app/frmRaffle.h"
#include "ui/Dialogs.h"
#include "ui/ErrorHandler.h"

#include "data/CjError.h"

int main(int argc, char *argv[])
{
    CjApplication app(argc, argv);
    Tfmraffle *window = nullptr;
    try {
        window = new Tfmraffle;
    } catch (const std::exception &e) {
        // The database could not be opened or read: say why and end without a window.
        ErrorHandler::report(e);
        return 1;
    }
    window->show();
    const int rc = app.exec();
    delete window;
    return rc;
}
