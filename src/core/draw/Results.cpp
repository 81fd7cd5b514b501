#include "core/draw/Results.h"

#include "core/base/Text.h"
#include "core/data/ParticipantStore.h"
#include "core/data/PrizeStore.h"

#include <QHash>

namespace Results {

int placeCount(const QString &quantity)
{
    if (Text::isBlank(quantity))
        return 0;
    // The prize table stores what was typed, trimmed; a grid cell may still carry blanks
    // around the number, and they do not make it another number.
    const int q = Text::toInteger(quantity);
    return q > 0 ? q : 0;
}

void build(const QList<Prize> &prizes, const WinnerLog &winners, ParticipantStore &participants, Sink &sink)
{
    // Places of each prize in layout order, 0-based, and the next one still free.
    QHash<int, QList<int>> placesOfPrize;
    QHash<int, int> nextFree;
    int places = 0;
    for (qsizetype p = 0; p < prizes.size(); ++p) {
        const Prize &row = prizes.at(p);
        const int q = qMin(placeCount(row.quantity), MaxPlaces - places);
        QList<int> &own = placesOfPrize[int(p) + 1];
        for (int i = 0; i < q; ++i) {
            sink.appendPlace(row.name, row.item);
            own.append(places++);
        }
    }

    for (const WinnerEntry &winner : winners) {
        if (Text::isBlank(winner.number))
            break;
        const auto own = placesOfPrize.constFind(winner.prizeNumber);
        if (own == placesOfPrize.constEnd())
            continue;
        int &cursor = nextFree[winner.prizeNumber];
        if (cursor >= own->size())
            continue;
        const int place = own->at(cursor++);
        sink.setWinner(place + 1, winner.number, participants.nameOf(winner.number));
    }
}

} // namespace Results
