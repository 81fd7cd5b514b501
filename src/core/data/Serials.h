#pragma once

class Database;

/// Both tables number their rows 1..n in list order in the column xh. An earlier version, an
/// exit purge or another program may have left gaps or repeats; this closes them, in one
/// transaction, keeping the order. Nothing is written when the serials already run 1..n.
/// @param shapeSql the table's count, distinct count, lowest and highest serial
/// @param renumberSql the table's renumbering in list order
void renumberSerials(Database &db, const char *shapeSql, const char *renumberSql);
