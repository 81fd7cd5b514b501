#pragma once

#include "core/data/PrizeStore.h"
#include "gui/app/GridPage.h"

class Database;

/// "抽奖设置": the prize levels in draw order (name, quantity, winners per round, item,
/// comment), each edit saved at once.
class PrizesPage final : public GridPage
{
    Q_OBJECT

public:
    explicit PrizesPage(Database &db, QWidget *parent = nullptr);

    /// Fills the grid from the prize table; the first row is current.
    void load();

protected:
    void addRecord(int serial) override;
    void saveRecord(int serial, const QStringList &texts) override;
    void removeRecord(int serial) override;

private:
    PrizeStore m_store;
};
