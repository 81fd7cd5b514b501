#pragma once

#include "gui/app/GridPage.h"

class Database;
class QLabel;

/// "抽奖结果": the latest draw of the record, every prize place with its winner and the voided
/// wins with their reason, whether the record is intact, and the commands on it: delete a row
/// from the page, export the table, void a win of an absent winner, export the record with
/// its hashes. The page is built from the record at start-up and whenever the draw screen
/// closes, so after a restart it shows exactly what it showed before.
class ResultsPage final : public GridPage
{
    Q_OBJECT

public:
    explicit ResultsPage(Database &db, QWidget *parent = nullptr);

    /// Lays the places of the prize table out and fills in the wins of the latest draw
    /// (Results::build()); before the first draw the places stand empty. A quantity that is
    /// not a number ends the build with the rows laid out so far.
    void showLatestDraw();
    void exportResults();
    /// Voids the selected win after asking for the reason ("未到场" at first): the winner stays
    /// marked, the place opens again, and the next opening of the draw screen offers to go on
    /// with the draw to fill it.
    void voidSelectedWin();
    /// Writes the latest draw's record with its hashes to a CSV file the operator names.
    void exportRecord();

protected:
    void removeRecord(int serial) override;

private:
    void showCheck();

    Database &m_db;
    QLabel *m_status;
    qint64 m_drawId = 0;
    QList<int> m_seqs; // per row: the standing win's entry in the record, 0 for none
};
