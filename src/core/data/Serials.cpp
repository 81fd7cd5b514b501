#include "core/data/Serials.h"

#include "core/data/Database.h"

void renumberSerials(Database &db, const char *shapeSql, const char *renumberSql)
{
    qint64 count = 0, distinct = 0, lowest = 0, highest = 0;
    {
        Statement shape(db, shapeSql);
        if (shape.next()) {
            count = shape.integer(0);
            distinct = shape.integer(1);
            lowest = shape.integer(2);
            highest = shape.integer(3);
        }
    }
    if (count == 0 || (distinct == count && lowest == 1 && highest == count))
        return;
    Transaction transaction(db);
    Statement(db, renumberSql).execute();
    transaction.commit();
}
