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
/// Creates the record of a new grid row: serial n, every other column Null.
void add(int n);
/// Writes a row's texts, each without the blanks and control characters around it, to the
/// record with serial xh. A row that has no record yet (the empty row a grid starts with on
/// an empty table, a row the import kept without its record) gets one with that serial, so
/// nothing typed is ever dropped.
void save(int xh, const QString &tel, const QString &name, const QString &comment);
/// Deletes the record with serial xh and moves every record below it up by one serial, in
/// one transaction: on failure the table is left exactly as it was.
void remove(int xh);

} // namespace ParticipantTable

/// The prize table Tab_Set as the main window uses it.
namespace PrizeTable {

/// Every prize level in draw order: xh, name, quantity, rs, jp, comment (Null as "").
QList<QStringList> load(TDBLink &link);
/// Creates the record of a new grid row: serial n, every other column Null.
void add(int n);
/// Writes a row's texts, trimmed, to the record with serial xh, creating the record when
/// the row has none yet (see ParticipantTable::save).
void save(int xh, const QString &name, const QString &quantity, const QString &rs, const QString &jp,
          const QString &comment);
/// Deletes the record with serial xh and moves the levels below it up by one place, in one
/// transaction.
void remove(int xh);

} // namespace PrizeTable

namespace Tables {

/// Loads both grids' texts at start-up through one connection, first making the serials run
/// 1..n in list order where they do not (an earlier purge may have left gaps).
void loadAll(QList<QStringList> *participants, QList<QStringList> *prizes);

/// The purges when the main window closes: participants without a phone number and prize
/// levels without a name are deleted, then the serials are made to run 1..n again.
void purgeIncomplete();

} // namespace Tables
