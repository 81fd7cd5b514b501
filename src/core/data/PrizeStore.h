#pragma once

#include <QList>
#include <QString>

class Database;

/// One prize level as typed in the prize table; the texts are what the operator entered
/// (trimmed when stored), read as numbers only by the draw.
struct Prize
{
    QString name;     ///< "奖项名称"
    QString quantity; ///< "奖项数量": how many winners the prize has
    QString perRound; ///< "每次抽奖人数": winners drawn in each round of the prize
    QString item;     ///< "奖品"
    QString comment;  ///< "备注"
};

/// The prize table (Tab_Set). Prize levels are a list in draw order: the k-th has the serial
/// k, and every operation keeps the serials running 1..n.
class PrizeStore final
{
public:
    explicit PrizeStore(Database &db);

    /// Every prize level in draw order (Null as ""), after closing any gap in the serials.
    QList<Prize> loadAll();
    /// Creates the record of a new prize level with the serial.
    void add(int serial);
    /// Writes the texts, trimmed, creating the record when the row has none yet.
    void save(int serial, const Prize &prize);
    /// Deletes the prize level and moves the ones below it up by one, in one transaction.
    void remove(int serial);
    /// Deletes prize levels without a name and closes the gaps they leave.
    void purgeIncomplete();

private:
    Database &m_db;
};
