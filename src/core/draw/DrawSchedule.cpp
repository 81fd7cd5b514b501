#include "DrawSchedule.h"

#include "data/Statements.h"
#include "data/Unit_DBLink.h"

void DrawSchedule::LoadPrizePlan()
{
    // Whatever happens below, no earlier plan stays usable.
    m_plan.clear();
    m_curPrize = 0;
    m_curRound = 0;
    m_roundPrizeNumber = 0;

    TDBLink link;
    TQuery &query = link.Query();
    query.SQL(Sql::CountPrizes);
    query.Open();
    const int count = query.FieldByName(QStringLiteral("cnt")).AsInteger();
    query.Close();

    QList<PrizeEntry> plan(qMax(count, 0));
    query.SQL(Sql::LoadPrizePlan);
    query.Open();
    for (PrizeEntry &entry : plan) {
        if (query.Eof())
            break;
        entry.quantity = query.FieldByName(QStringLiteral("quantity")).AsInteger();
        entry.rs = query.FieldByName(QStringLiteral("rs")).AsInteger();
        query.Next();
    }
    query.Close();
    m_plan = std::move(plan);
}

bool DrawSchedule::DrawIsOver() const
{
    return m_curPrize >= prizeCount();
}

QString DrawSchedule::PrizeName(int number) const
{
    TDBLink link;
    TQuery &query = link.Query();
    query.SQL(Sql::PrizeName);
    query.Open({number});
    return query.FieldByName(QStringLiteral("name")).AsString();
}

RoundOutcome DrawSchedule::BeginRound()
{
    if (DrawIsOver())
        return RoundOutcome::NoQuantity;

    const PrizeEntry prize = m_plan.at(m_curPrize);
    if (prize.quantity >= 1) {
        m_prizeQty = prize.quantity;
        m_roundRows = prize.rs;
    } else {
        m_prizeQty = 0;
    }
    if (m_prizeQty < 1)
        return RoundOutcome::NoQuantity;

    m_roundPrizeNumber = m_curPrize + 1;
    ++m_curRound;

    int rounds = 1; // rs 0: one round of 0 rows, then the prize is done
    if (prize.rs != 0) {
        const int q = m_prizeQty / prize.rs;
        const int r = m_prizeQty % prize.rs;
        // r != 0 first: with rs 1 the quotient can be INT_MAX and q + 1 would overflow.
        if (r != 0 && m_curRound == q + 1)
            m_roundRows = r;
        rounds = r != 0 ? q + 1 : q;
    }
    if (m_curRound >= rounds) {
        m_curRound = 0;
        ++m_curPrize;
    }
    return RoundOutcome::RoundBegun;
}
