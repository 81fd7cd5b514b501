#pragma once

#include <QList>
#include <QStringList>

class TDBLink;

/// The participant table Tab_CJ as the main window uses it.
namespace ParticipantTable {

/// Every participant in serial order as grid texts: xh, Tel, Name, Comment (Null as "").
QList<QStringList> load(TDBLink &link);
/// Deletes every participant ("清除数据").
void clear();

} // namespace ParticipantTable

/// The prize table Tab_Set as the main window uses it.
namespace PrizeTable {

/// Every prize level in draw order: xh, name, quantity, rs, jp, comment (Null as "").
QList<QStringList> load(TDBLink &link);

} // namespace PrizeTable

namespace Tables {

/// Loads both grids' texts at start-up through one connection, first making the serials run
/// 1..n in list order where they do not (an earlier purge may have left gaps).
void loadAll(QList<QStringList> *participants, QList<QStringList> *prizes);

/// The purges when the main window closes: participants without a phone number and prize
/// levels without a name are deleted, then the serials are made to run 1..n again.
void purgeIncomplete();

} // namespace Tables
