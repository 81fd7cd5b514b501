// Editing a list of 100,000 participants through the main window's own handlers: deleting
// row 1 (the whole list renumbered), saving a row after an edit, adding a row. Prints the
// median of several runs of each, for the handler alone and together with the repaint and
// whatever else the views do once the handler has returned.
// Run with QT_QPA_PLATFORM=offscreen.
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/data/Database.h"
#include "gui/app/MainWindow.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Participants = 100000;
constexpr int Runs = 15;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void measure(const char *what, const std::function<void(int run)> &operation)
{
    QList<double> handler, withViews;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        operation(run);
        handler.append(timer.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
        withViews.append(timer.nsecsElapsed() / 1e6);
    }
    std::printf("%-40s median %8.2f ms handler, %8.2f ms with repaint (%d runs)\n", what, median(handler),
                median(withViews), Runs);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestDb db;
    db.addManyParticipants(Participants);
    ScriptedDialogs dialogs; // every confirmation answered OK

    Database connection(db.dbFile());
    MainWindow window(connection);
    window.show();
    QCoreApplication::processEvents();
    auto *grid = window.findChild<GridView *>(QStringLiteral("participantGrid"));
    auto *addButton = window.findChild<QPushButton *>(QStringLiteral("addParticipantButton"));
    auto *deleteButton = window.findChild<QPushButton *>(QStringLiteral("deleteParticipantButton"));
    std::printf("participants: %d\n", grid->gridModel()->rowCount());

    measure("delete row 1 (renumbering the rest)", [&](int) {
        grid->setCurrentCell(0, 1);
        deleteButton->click();
    });
    measure("save a row after an edit", [&](int run) {
        // What the cell editor does when the operator ends an edit: the model takes the text
        // and reports the cell, and the window writes the row.
        const int row = 1 + run * 997;
        grid->model()->setData(grid->model()->index(row - 1, 2), QStringLiteral("改名%1").arg(run), Qt::EditRole);
    });
    measure("add a row", [&](int) { addButton->click(); });

    const auto errors = std::count_if(dialogs.messages.cbegin(), dialogs.messages.cend(),
                                      [](const auto &m) { return m.icon == Dialogs::Icon::Error; });
    std::printf("participants now: %d; errors reported: %lld\n", grid->gridModel()->rowCount(),
                static_cast<long long>(errors));
    return errors == 0 ? 0 : 1;
}
