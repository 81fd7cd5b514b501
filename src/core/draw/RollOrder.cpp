#include "RollOrder.h"

#include "data/CjError.h"
#include "data/Statements.h"
#include "data/TextUtil.h"
#include "data/Unit_DBLink.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>

#include <sqlite3.h>

#include <algorithm>
#include <vector>

namespace {

constexpr quint64 rotl(quint64 x, int b)
{
    return (x << b) | (x >> (64 - b));
}

inline void sipRound(quint64 &v0, quint64 &v1, quint64 &v2, quint64 &v3)
{
    v0 += v1;
    v1 = rotl(v1, 13);
    v1 ^= v0;
    v0 = rotl(v0, 32);
    v2 += v3;
    v3 = rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = rotl(v1, 17);
    v1 ^= v2;
    v2 = rotl(v2, 32);
}

inline quint64 readLittleEndian64(const uchar *p)
{
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

} // namespace

RollKey RollKey::fromSystem()
{
    QRandomGenerator *source = QRandomGenerator::system();
    return RollKey{source->generate64(), source->generate64()};
}

quint64 sipHash24(const RollKey &key, const void *data, qsizetype size)
{
    quint64 v0 = 0x736f6d6570736575ULL ^ key.k0;
    quint64 v1 = 0x646f72616e646f6dULL ^ key.k1;
    quint64 v2 = 0x6c7967656e657261ULL ^ key.k0;
    quint64 v3 = 0x7465646279746573ULL ^ key.k1;

    const auto *p = static_cast<const uchar *>(data);
    const qsizetype whole = size - size % 8;
    for (qsizetype i = 0; i < whole; i += 8) {
        const quint64 m = readLittleEndian64(p + i);
        v3 ^= m;
        sipRound(v0, v1, v2, v3);
        sipRound(v0, v1, v2, v3);
        v0 ^= m;
    }

    quint64 last = quint64(size & 0xff) << 56;
    for (qsizetype i = size % 8; i > 0; --i)
        last |= quint64(p[whole + i - 1]) << (8 * (i - 1));
    v3 ^= last;
    sipRound(v0, v1, v2, v3);
    sipRound(v0, v1, v2, v3);
    v0 ^= last;

    v2 ^= 0xff;
    for (int i = 0; i < 4; ++i)
        sipRound(v0, v1, v2, v3);
    return v0 ^ v1 ^ v2 ^ v3;
}

quint64 rollRank(const RollKey &key, const QString &number)
{
    return sipHash24(key, number.utf16(), number.size() * qsizetype(sizeof(char16_t)));
}

namespace {

struct Ranked
{
    quint64 rank;
    qsizetype index; // into the list of numbers
};

/// The numbers named by @p ranked in ascending rank, equal ranks by text, each number once.
/// Moves the texts out of @p numbers.
QStringList inRankOrder(QStringList &numbers, std::vector<Ranked> &ranked)
{
    std::sort(ranked.begin(), ranked.end(), [&numbers](const Ranked &a, const Ranked &b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        return numbers.at(a.index) < numbers.at(b.index);
    });
    QStringList ordered;
    ordered.reserve(qsizetype(ranked.size()));
    for (std::size_t i = 0; i < ranked.size(); ++i) {
        // Equal numbers have equal ranks and sort next to each other: keep the first.
        QString &number = numbers[ranked[i].index];
        if (i > 0 && ranked[i].rank == ranked[i - 1].rank && number == ordered.constLast())
            continue;
        ordered.append(std::move(number));
    }
    return ordered;
}

} // namespace

void putInRollOrder(QStringList &numbers, const RollKey &key)
{
    std::vector<Ranked> ranked;
    ranked.reserve(numbers.size());
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        if (!cj::isBlank(numbers.at(i)))
            ranked.push_back({rollRank(key, numbers.at(i)), i});
    }
    numbers = inRankOrder(numbers, ranked);
}

bool loadRollCandidates(TDBLink &link, const RollKey &key, QStringList *numbers, const std::atomic<bool> *cancel)
{
    // The roll reads the whole table at every pass. Reading the two columns straight from
    // the statement, rather than field by field through TQuery, halves a 100,000-row pass.
    sqlite3 *db = link.handle();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, Sql::RollPass.sql, -1, &statement, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
    const auto finalize = qScopeGuard([statement] { sqlite3_finalize(statement); });

    QStringList undrawn;
    std::vector<Ranked> ranked;
    QSet<QString> drawn;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return false;
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        QString number = QString::fromUtf8(text, sqlite3_column_bytes(statement, 0));
        if (sqlite3_column_type(statement, 1) != SQLITE_NULL) {
            drawn.insert(number);
        } else if (!cj::isBlank(number)) {
            // Ranked while reading, so that a stop can still cut this work short.
            ranked.push_back({rollRank(key, number), undrawn.size()});
            undrawn.append(std::move(number));
        }
    }
    if (rc != SQLITE_DONE)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));

    // A number has won when any of its rows is marked, even if another row of it is not
    // (one added after the win, say).
    if (!drawn.isEmpty()) {
        std::erase_if(ranked, [&](const Ranked &r) { return drawn.contains(undrawn.at(r.index)); });
    }
    *numbers = inRankOrder(undrawn, ranked);
    return true;
}
