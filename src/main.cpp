#include "core/data/AppPaths.h"
#include "core/data/Database.h"
#include "gui/app/Application.h"
#include "gui/app/MainWindow.h"
#include "gui/app/Startup.h"
#include "gui/ui/ErrorBoundary.h"

#include <memory>

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    std::unique_ptr<Database> db;
    std::unique_ptr<MainWindow> window;
    try {
        db = Startup::openDatabase(AppPaths::databaseFile());
        if (!db)
            return 1; // a damaged database that was not restored; the operator has been told
        window = std::make_unique<MainWindow>(*db);
    } catch (const std::exception &e) {
        // The database could not be opened or read: say why and end without a window.
        ErrorBoundary::report(e);
        return 1;
    }
    window->show(); // and the start's backup begins
    const int rc = app.exec();
    window.reset(); // purges incomplete rows while the database is still open, ends the backup under way
    return rc;
}
