#pragma once

#include "core/data/ParticipantStore.h"
#include "core/draw/WinnerLog.h"
#include "gui/app/GridPage.h"

struct Prize;

/// "抽奖结果": every prize place with its winner after a draw, with export to a spreadsheet
/// file. Rows can be deleted from the page; nothing of it is stored.
class ResultsPage final : public GridPage
{
    Q_OBJECT

public:
    explicit ResultsPage(Database &db, QWidget *parent = nullptr);

    /// Lays the places of the prize levels out and fills in the winners of the draw (see
    /// Results::build), at most Results::MaxPlaces of them. Starts from an empty table; a
    /// quantity that is not a number ends it with the places laid out so far.
    void showResults(const QList<Prize> &prizes, const WinnerLog &winners);
    void exportResults();

private:
    ParticipantStore m_participants;
};
