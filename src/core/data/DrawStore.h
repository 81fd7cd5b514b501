#pragma once

#include "core/data/ParticipantStore.h"

#include <QString>
#include <QStringList>

#include <atomic>

class Database;
class RollPass;

/// What the draw reads and writes of the participant table: who may still win, and the
/// drawn mark (Tab_CJ.ZT) of a winner.
class DrawStore final
{
public:
    explicit DrawStore(Database &db);

    /// One pass of the roll: reads the participant table afresh and gives, in the round's
    /// order, every phone number that may still win: not blank, on a row whose mark is Null,
    /// and on no marked row; each number once. @p pass keeps its key.
    ///
    /// When @p cancel is given and becomes true while the rows are read, the pass is
    /// abandoned and false is returned; otherwise true with @p pass filled.
    bool loadRollPass(RollPass *pass, const std::atomic<bool> *cancel = nullptr);

    /// Marks every row of each winner's number as drawn and gives each winner as entered: the
    /// first row of the number by serial (name and comment "" when no row has it). Run it in
    /// the transaction that also records the winners, so that both are written or neither.
    QList<Participant> markDrawn(const QStringList &phones);

private:
    Database &m_db;
};
