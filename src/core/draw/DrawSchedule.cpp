#include "core/draw/DrawSchedule.h"

#include "core/base/Text.h"
#include "core/data/PrizeStore.h"

namespace {

/// Rounds a prize takes: quantity / perRound, one more for a remainder; a prize with 0
/// winners per round takes one round (of 0 rows).
int roundsOf(const PlannedPrize &prize)
{
    if (prize.perRound == 0)
        return 1;
    return prize.quantity / prize.perRound + (prize.quantity % prize.perRound != 0 ? 1 : 0);
}

/// Rows of the round-th round (1-based) of a prize: its winners per round, but the last
/// round of a quantity that is not a multiple of them only the remainder.
int rowsOfRound(const PlannedPrize &prize, int round)
{
    if (prize.perRound == 0)
        return 0;
    const int remainder = prize.quantity % prize.perRound;
    return remainder != 0 && round == roundsOf(prize) ? remainder : prize.perRound;
}

} // namespace

QStringList DrawSchedule::planProblems(const QList<Prize> &prizes, int maxRoundRows)
{
    QStringList problems;
    for (qsizetype i = 0; i < prizes.size(); ++i) {
        const Prize &prize = prizes.at(i);
        const auto problem = [&](const QString &what) {
            problems.append(QStringLiteral("第%1项“%2”：%3").arg(QString::number(i + 1), prize.name, what));
        };
        int quantity = 0;
        int perRound = 0;
        const bool quantityRead = Text::tryToInteger(prize.quantity, &quantity);
        const bool perRoundRead = Text::tryToInteger(prize.perRound, &perRound);
        if (!quantityRead)
            problem(QStringLiteral("奖项数量“%1”不是整数").arg(Text::trimmed(prize.quantity)));
        else if (quantity < 0)
            problem(QStringLiteral("奖项数量 %1 是负数").arg(quantity));
        else if (quantity > MaxQuantity)
            problem(QStringLiteral("奖项数量 %1 超过上限 %2").arg(quantity).arg(MaxQuantity));
        if (!perRoundRead)
            problem(QStringLiteral("每次抽奖人数“%1”不是整数").arg(Text::trimmed(prize.perRound)));
        else if (perRound < 0)
            problem(QStringLiteral("每次抽奖人数 %1 是负数").arg(perRound));
        else if (quantityRead && quantity > 0 && quantity <= MaxQuantity &&
                 rowsOfRound({prize.name, quantity, perRound}, 1) > maxRoundRows) {
            problem(QStringLiteral("每次抽奖人数 %1 超过每次最多可抽的 %2 人（抽奖画面最多显示 %2 行号码）")
                        .arg(perRound)
                        .arg(maxRoundRows));
        }
    }
    return problems;
}

void DrawSchedule::setPlan(const QList<Prize> &prizes)
{
    // Whatever happens below, no earlier plan stays usable.
    m_plan.clear();
    m_currentPrize = 0;
    m_currentRound = 0;
    m_roundPrizeNumber = 0;

    QList<PlannedPrize> plan;
    plan.reserve(prizes.size());
    for (const Prize &prize : prizes)
        plan.append({prize.name, Text::toInteger(prize.quantity), Text::toInteger(prize.perRound)});
    m_plan = std::move(plan);
}

bool DrawSchedule::isOver() const
{
    return m_currentPrize >= m_plan.size();
}

QString DrawSchedule::prizeName(int number) const
{
    return number >= 1 && number <= m_plan.size() ? m_plan.at(number - 1).name : QString();
}

RoundOutcome DrawSchedule::beginRound()
{
    if (isOver())
        return RoundOutcome::NoQuantity;
    const PlannedPrize &prize = m_plan.at(m_currentPrize);
    if (prize.quantity < 1)
        return RoundOutcome::NoQuantity;

    m_roundPrizeNumber = m_currentPrize + 1;
    ++m_currentRound;
    m_roundRows = rowsOfRound(prize, m_currentRound);
    if (m_currentRound >= roundsOf(prize)) {
        m_currentRound = 0;
        ++m_currentPrize;
    }
    return RoundOutcome::RoundBegun;
}
