#include "core/draw/Results.h"

#include "core/base/Text.h"
#include "core/data/PrizeStore.h"

#include <QMap>

namespace Results {

namespace {

Row winRow(const RecordEntry &win)
{
    return {win.prizeName, win.prizeItem, win.phone, win.name, win.comment, win.seq, win.voided, win.voidReason};
}

} // namespace

int placeCount(const QString &quantity)
{
    // The prize table stores what was typed; blanks around a number do not make it another
    // number. The draw refuses a prize whose quantity is not one, so such a prize has no winners
    // of its own; any it had before the table was edited are still listed (see build()).
    int q = 0;
    return Text::tryToInteger(quantity, &q) && q > 0 ? q : 0;
}

void build(const QList<Prize> &prizes, const QList<RecordEntry> &entries, Sink &sink)
{
    // The wins of each prize in the order drawn, standing and voided apart.
    QMap<int, QList<RecordEntry>> standing;
    QMap<int, QList<RecordEntry>> voided;
    for (const RecordEntry &entry : entries) {
        if (!entry.isVoid())
            (entry.voided ? voided : standing)[entry.prizeNumber].append(entry);
    }
    int places = 0;
    const auto appendWins = [&sink, &voided](int number, const QList<RecordEntry> &wins, qsizetype from) {
        for (qsizetype i = from; i < wins.size(); ++i)
            sink.appendRow(winRow(wins.at(i)));
        for (const RecordEntry &win : voided.value(number))
            sink.appendRow(winRow(win));
    };
    for (qsizetype p = 0; p < prizes.size(); ++p) {
        const Prize &prize = prizes.at(p);
        const int number = int(p) + 1;
        const int count = qMin(placeCount(prize.quantity), MaxPlaces - places);
        const QList<RecordEntry> wins = standing.take(number);
        for (int i = 0; i < count; ++i) {
            sink.appendRow(i < wins.size() ? winRow(wins.at(i))
                                           : Row{prize.name, prize.item, {}, {}, {}, 0, false, {}});
            ++places;
        }
        appendWins(number, wins, count);
        voided.remove(number);
    }
    for (auto it = standing.cbegin(); it != standing.cend(); ++it) {
        appendWins(it.key(), it.value(), 0);
        voided.remove(it.key());
    }
    for (auto it = voided.cbegin(); it != voided.cend(); ++it) {
        for (const RecordEntry &win : it.value())
            sink.appendRow(winRow(win));
    }
}

} // namespace Results
