#include "Results.h"

#include "data/Statements.h"
#include "data/TextUtil.h"
#include "data/Unit_DBLink.h"

#include <QHash>

#include <memory>

namespace Results {

int placeCount(const QString &quantity)
{
    if (cj::isBlank(quantity))
        return 0;
    // The prize table stores what was typed, trimmed; a grid cell may still carry blanks
    // around the number, and they do not make it another number.
    const int q = cj::toInteger(quantity);
    return q > 0 ? q : 0;
}

void build(const QList<PrizeRow> &prizes, const WinnerLog &winners, Sink &sink)
{
    // Places of each prize in layout order, 0-based, and the next one still free.
    QHash<int, QList<int>> placesOfPrize;
    QHash<int, int> nextFree;
    int places = 0;
    for (qsizetype p = 0; p < prizes.size(); ++p) {
        const PrizeRow &row = prizes.at(p);
        const int q = placeCount(row.quantity);
        QList<int> &own = placesOfPrize[int(p) + 1];
        for (int i = 0; i < q; ++i) {
            sink.appendPlace(row.name, row.item);
            own.append(places++);
        }
    }

    std::unique_ptr<TDBLink> link; // one connection for every look-up of this build
    for (const WinnerEntry &winner : winners) {
        if (cj::isBlank(winner.number))
            break;
        const auto own = placesOfPrize.constFind(winner.prizeNumber);
        if (own == placesOfPrize.constEnd())
            continue;
        int &cursor = nextFree[winner.prizeNumber];
        if (cursor >= own->size())
            continue;
        const int place = own->at(cursor++);
        if (!link)
            link = std::make_unique<TDBLink>();
        TQuery &q = link->Query();
        q.SQL(Sql::ResultName);
        q.Open({winner.number});
        const QString name = q.FieldByName(QStringLiteral("name")).AsString();
        q.Close();
        sink.setWinner(place + 1, winner.number, name);
    }
}

} // namespace Results
