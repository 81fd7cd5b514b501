#include "core/draw/DrawSchedule.h"

#include "core/base/Text.h"
#include "core/data/PrizeStore.h"

namespace {

/// Rows of a prize's first round: its winners per round, or its quantity when that is less.
/// No later round has more.
int firstRoundRows(int quantity, int perRound)
{
    return perRound > 0 ? qMin(perRound, quantity) : perRound;
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
                 firstRoundRows(quantity, perRound) > maxRoundRows) {
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
    m_open.clear();
    m_roundsBegun.clear();
    m_currentPrize = 0;
    m_roundPrizeNumber = 0;
    m_roundNumber = 0;

    QList<PlannedPrize> plan;
    plan.reserve(prizes.size());
    for (const Prize &prize : prizes)
        plan.append({prize.name, prize.item, Text::toInteger(prize.quantity), Text::toInteger(prize.perRound)});
    m_plan = std::move(plan);
    for (const PlannedPrize &prize : std::as_const(m_plan)) {
        m_open.append(qMax(prize.quantity, 0));
        m_roundsBegun.append(0);
    }
}

void DrawSchedule::resume(const QHash<int, int> &filled, const QHash<int, int> &roundsBegun)
{
    for (qsizetype p = 0; p < m_plan.size(); ++p) {
        const int number = int(p) + 1;
        m_open[p] = qMax(0, m_plan.at(p).quantity - filled.value(number));
        m_roundsBegun[p] = roundsBegun.value(number);
        // A prize that gave a round of 0 rows is done, as in an uninterrupted draw.
        if (m_plan.at(p).perRound <= 0 && m_roundsBegun[p] > 0)
            m_open[p] = 0;
    }
    m_currentPrize = 0;
    skipFinishedPrizes();
}

void DrawSchedule::skipFinishedPrizes()
{
    while (m_currentPrize < m_plan.size() && m_plan.at(m_currentPrize).quantity >= 1 && m_open.at(m_currentPrize) == 0)
        ++m_currentPrize;
}

bool DrawSchedule::isOver() const
{
    return m_currentPrize >= m_plan.size();
}

QString DrawSchedule::prizeName(int number) const
{
    return number >= 1 && number <= m_plan.size() ? m_plan.at(number - 1).name : QString();
}

int DrawSchedule::currentRound() const
{
    return isOver() ? 0 : m_roundsBegun.at(m_currentPrize);
}

RoundOutcome DrawSchedule::beginRound()
{
    if (isOver())
        return RoundOutcome::NoQuantity;
    const PlannedPrize &prize = m_plan.at(m_currentPrize);
    if (prize.quantity < 1)
        return RoundOutcome::NoQuantity;

    m_roundPrizeNumber = m_currentPrize + 1;
    m_roundNumber = ++m_roundsBegun[m_currentPrize];
    int &open = m_open[m_currentPrize];
    // 0 winners per round: one round of 0 rows, then the prize is done.
    m_roundRows = prize.perRound > 0 ? qMin(prize.perRound, open) : prize.perRound;
    open = prize.perRound > 0 ? open - m_roundRows : 0;
    skipFinishedPrizes();
    return RoundOutcome::RoundBegun;
}
