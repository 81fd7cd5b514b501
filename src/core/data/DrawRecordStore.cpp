#include "core/data/DrawRecordStore.h"

#include "core/base/Error.h"
#include "core/base/Files.h"
#include "core/base/Text.h"
#include "core/data/Database.h"
#include "core/data/Sql.h"
#include "core/spreadsheet/CsvWriter.h"

#include <QFileInfo>

#include <array>
#include <cstdlib>
#include <sqlite3.h>

namespace {

const std::array<const char *, 3> DrawColumns = {"id", "started", "finished"};
/// The columns of draw_entries, in the order of the CSV export and of Sql::DrawEntries.
const std::array<const char *, 16> EntryColumns = {
    "draw_id", "seq",     "kind", "prize_number", "prize_name", "prize_item", "round",       "phone",
    "name",    "comment", "time", "voids_seq",    "reason",     "voided",     "void_reason", "hash",
};

/// A text as it will read back from the database: a lone surrogate (which UTF-8 cannot hold)
/// becomes U+FFFD now, so the hash is computed on exactly what is stored.
QString storable(const QString &text)
{
    return QString::fromUtf8(text.toUtf8());
}

QString displayFile(const Database &db)
{
    return Files::displayPath(db.fileName());
}

/// A name as SQL text: identifiers cannot be bound, so each one is quoted, inner quotes doubled.
QString quoted(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

template <typename Columns> bool contains(const Columns &columns, const QString &name)
{
    for (const char *column : columns) {
        if (name == QLatin1String(column))
            return true;
    }
    return false;
}

} // namespace

DrawRecordStore::DrawRecordStore(Database &db)
    : m_db(db)
{
}

QString DrawRecordStore::timeText(const QDateTime &time)
{
    // The wall-clock time of the QDateTime's own zone, and that zone's offset at that time.
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString DrawRecordStore::defaultVoidReason()
{
    return QStringLiteral("未到场");
}

template <typename Work> auto DrawRecordStore::guarded(Work &&work) -> decltype(work())
{
    // A failure of the database itself already says what happened, to which file, and what to do;
    // it is prefixed with what was being done.
    try {
        if (recordTablesPresent())
            return work();
    } catch (const DatabaseError &e) {
        throw DatabaseError(QStringLiteral("读写抽奖记录时出错：") + e.text(), e.resultCode(), e.engineText());
    }
    throw DatabaseError(
        QStringLiteral("数据库文件“%1”中的抽奖记录（表 draws、draw_entries）缺失或已损坏，无法读写抽奖记录。"
                       "参与人员和奖项不受影响，可以照常使用；请退出并重新启动本程序，它会把损坏的表改名保留，"
                       "重新建立抽奖记录。")
            .arg(displayFile(m_db)));
}

bool DrawRecordStore::recordTablesPresent()
{
    const auto hasColumns = [this](const QString &table, const auto &wanted) {
        QStringList names;
        Statement columns(m_db, Sql::TableColumns);
        columns.bindAll(table);
        while (columns.next())
            names.append(columns.text(0).toLower());
        for (const char *column : wanted) {
            if (!names.contains(QLatin1String(column)))
                return false;
        }
        return true;
    };
    return hasColumns(QStringLiteral("draws"), DrawColumns) && hasColumns(QStringLiteral("draw_entries"), EntryColumns);
}

bool DrawRecordStore::tableExists(const QString &table)
{
    Statement exists(m_db, Sql::TableExists);
    exists.bindAll(table);
    return exists.next() && exists.integer(0) > 0;
}

template <typename Columns> bool DrawRecordStore::tableSound(const QString &table, const Columns &wanted)
{
    if (!tableExists(table))
        return false;
    QStringList names;
    {
        Statement columns(m_db, Sql::TableColumnRules);
        columns.bindAll(table);
        while (columns.next()) {
            const QString name = columns.text(0).toLower();
            // A column of its own that must be filled makes every insert of the record fail.
            if (columns.integer(1) != 0 && !contains(wanted, name))
                return false;
            names.append(name);
        }
    }
    for (const char *column : wanted) {
        if (!names.contains(QLatin1String(column)))
            return false;
    }
    try {
        QStringList problems;
        Statement check(m_db, Sql::TableQuickCheck);
        check.bindAll(table);
        while (check.next())
            problems.append(check.text(0));
        return problems == QStringList{QStringLiteral("ok")};
    } catch (const DatabaseError &e) {
        if (e.primaryCode() == SQLITE_CORRUPT || e.primaryCode() == SQLITE_NOTADB)
            return false;
        throw;
    }
}

QString DrawRecordStore::unusedName(const QString &wanted)
{
    QString name = wanted;
    for (int n = 2;; ++n) {
        Statement taken(m_db, Sql::SchemaNameTaken);
        taken.bindAll(name);
        if (!taken.next() || taken.integer(0) == 0)
            return name;
        name = wanted + QStringLiteral("_%1").arg(n);
    }
}

RecordRepair DrawRecordStore::repairTables(const QDateTime &now)
{
    const QStringList tables = {QStringLiteral("draws"), QStringLiteral("draw_entries")};
    try {
        if (tableSound(tables.at(0), DrawColumns) && tableSound(tables.at(1), EntryColumns))
            return {};
        Transaction transaction(m_db);
        QStringList present;
        for (const QString &table : tables) {
            if (tableExists(table))
                present.append(table);
        }
        // The triggers go first: they keep the moved rows from being changed, and the fresh tables'
        // triggers take their names. A renamed table's triggers would follow it under the new name.
        for (const QString &table : std::as_const(present)) {
            QStringList triggers;
            {
                Statement list(m_db, Sql::TableTriggers);
                list.bindAll(table);
                while (list.next())
                    triggers.append(list.text(0));
            }
            for (const QString &trigger : std::as_const(triggers))
                m_db.execute(QString::fromUtf8(Sql::DropTrigger).arg(quoted(trigger)).toUtf8().constData());
        }
        RecordRepair repair;
        repair.repaired = true;
        const QString stamp = now.toString(QStringLiteral("yyyyMMdd_HHmmss"));
        for (const QString &table : std::as_const(present)) {
            const QString movedTo = unusedName(table + QStringLiteral("_damaged_") + stamp);
            m_db.execute(QString::fromUtf8(Sql::RenameTable).arg(quoted(table), quoted(movedTo)).toUtf8().constData());
            repair.moved.append({table, movedTo});
        }
        m_db.execute(Sql::DrawRecordTables);
        transaction.commit();
        return repair;
    } catch (const DatabaseError &e) {
        throw DatabaseError(
            QStringLiteral("数据库文件“%1”中的抽奖记录（表 draws、draw_entries）缺失或已损坏，修复没有成功：%2。"
                           "参与人员和奖项不受影响；请关闭其他正在使用这个文件的程序后重新启动本程序，"
                           "或把这个文件交给技术人员检查。")
                .arg(displayFile(m_db), e.text()),
            e.primaryCode());
    }
}

DrawInfo DrawRecordStore::requireDraw(qint64 drawId)
{
    Statement draw(m_db, Sql::DrawById);
    draw.bindAll(drawId);
    if (!draw.next()) {
        throw Error(QStringLiteral("数据库文件“%1”的抽奖记录中没有第 %2 场抽奖。请重新打开抽奖界面，开始新的一场。")
                        .arg(displayFile(m_db), QString::number(drawId)));
    }
    return {draw.integer(0), draw.text(1), draw.text(2)};
}

DrawInfo DrawRecordStore::requireOpenDraw(qint64 drawId)
{
    const DrawInfo draw = requireDraw(drawId);
    if (!draw.finished.isEmpty()) {
        throw Error(QStringLiteral("第 %1 场抽奖已于 %2 结束，它的记录不能再改动。请重新打开抽奖界面，开始新的一场。")
                        .arg(QString::number(drawId), draw.finished));
    }
    return draw;
}

qint64 DrawRecordStore::startDraw(const QDateTime &now)
{
    return guarded([&] {
        Statement start(m_db, Sql::StartDraw);
        start.bindAll(timeText(now));
        if (!start.next())
            throw DatabaseError(QStringLiteral("no draw id returned"));
        return start.integer(0);
    });
}

std::optional<DrawInfo> DrawRecordStore::latestDraw()
{
    return guarded([&]() -> std::optional<DrawInfo> {
        Statement latest(m_db, Sql::LatestDraw);
        if (!latest.next())
            return std::nullopt;
        return DrawInfo{latest.integer(0), latest.text(1), latest.text(2)};
    });
}

void DrawRecordStore::finishDraw(qint64 drawId, const QDateTime &now)
{
    guarded([&] {
        if (Statement(m_db, Sql::FinishDraw).bindAll(timeText(now), drawId).execute() == 0)
            requireDraw(drawId); // finished already is fine; a draw that does not exist is not
    });
}

void DrawRecordStore::insert(const RecordEntry &e)
{
    Statement insert(m_db, Sql::InsertDrawEntry);
    insert.bindAll(e.drawId, e.seq, e.kind, e.prizeNumber, e.prizeName, e.prizeItem, e.round, e.phone, e.name,
                   e.comment, e.time, QString(), e.reason, e.hash);
    if (e.voidsSeq)
        insert.bind(12, *e.voidsSeq);
    else
        insert.bindNull(12);
    if (e.reason.isNull())
        insert.bindNull(13);
    insert.execute();
}

QList<RecordEntry> DrawRecordStore::appendWins(qint64 drawId, const QList<NewWin> &wins, const QDateTime &now)
{
    return guarded([&] {
        std::optional<Transaction> own;
        if (!m_db.inTransaction())
            own.emplace(m_db, Durability::Full);
        requireOpenDraw(drawId);
        int seq = 0;
        QString previous = RecordChain::genesisHash();
        Statement last(m_db, Sql::LastDrawEntry);
        last.bindAll(drawId);
        if (last.next()) {
            seq = int(last.integer(0));
            previous = last.text(1);
        }
        const QString time = timeText(now);
        QList<RecordEntry> added;
        added.reserve(wins.size());
        for (const NewWin &win : wins) {
            RecordEntry entry;
            entry.drawId = drawId;
            entry.seq = ++seq;
            entry.kind = RecordEntry::Win.toString();
            entry.prizeNumber = win.prizeNumber;
            entry.prizeName = storable(win.prizeName);
            entry.prizeItem = storable(win.prizeItem);
            entry.round = win.round;
            entry.phone = storable(win.phone);
            entry.name = storable(win.name);
            entry.comment = storable(win.comment);
            entry.time = time;
            entry.hash = RecordChain::hash(previous, entry);
            insert(entry);
            previous = entry.hash;
            added.append(entry);
        }
        if (own)
            own->commit();
        return added;
    });
}

RecordEntry DrawRecordStore::voidWin(qint64 drawId, int seq, const QString &reason, const QDateTime &now)
{
    return guarded([&] {
        Transaction transaction(m_db, Durability::Full);
        // A void after the draw's end opens the draw again: its place is to be drawn again.
        if (!requireDraw(drawId).finished.isEmpty())
            Statement(m_db, Sql::ReopenDraw).bindAll(drawId).execute();
        Statement load(m_db, Sql::DrawEntry);
        load.bindAll(drawId, seq);
        const std::optional<RecordEntry> win = load.next() ? std::optional(readEntry(load)) : std::nullopt;
        if (!win || win->isVoid()) {
            throw Error(
                QStringLiteral("第 %1 场抽奖中没有第 %2 条中奖记录，无法作废。请在中奖名单中选择要作废的中奖者。")
                    .arg(QString::number(drawId), QString::number(seq)));
        }
        if (win->voided) {
            throw Error(QStringLiteral("第 %1 条中奖记录（%2 %3，%4）已经作废过了（原因：%5），不能再作废。")
                            .arg(QString::number(seq), win->phone, win->name, win->prizeName, win->voidReason));
        }
        Statement last(m_db, Sql::LastDrawEntry);
        last.bindAll(drawId);
        last.next(); // the win itself is there
        RecordEntry entry = *win;
        entry.seq = int(last.integer(0)) + 1;
        const QString previous = last.text(1);
        entry.kind = RecordEntry::Void.toString();
        entry.time = timeText(now);
        entry.voidsSeq = seq;
        const QString trimmed = storable(Text::trimmed(reason));
        entry.reason = trimmed.isEmpty() ? defaultVoidReason() : trimmed;
        entry.voided = false;
        entry.voidReason.clear();
        entry.hash = RecordChain::hash(previous, entry);
        insert(entry);
        Statement(m_db, Sql::MarkWinVoided).bindAll(entry.reason, drawId, seq).execute();
        transaction.commit();
        return entry;
    });
}

RecordEntry DrawRecordStore::readEntry(const Statement &row)
{
    RecordEntry e;
    e.drawId = row.integer(0);
    e.seq = int(row.integer(1));
    e.kind = row.text(2);
    e.prizeNumber = int(row.integer(3));
    e.prizeName = row.text(4);
    e.prizeItem = row.text(5);
    e.round = int(row.integer(6));
    e.phone = row.text(7);
    e.name = row.text(8);
    e.comment = row.text(9);
    e.time = row.text(10);
    if (!row.isNull(11))
        e.voidsSeq = int(row.integer(11));
    e.reason = row.text(12);
    e.voided = row.integer(13) != 0;
    e.voidReason = row.text(14);
    e.hash = row.text(15);
    return e;
}

QList<RecordEntry> DrawRecordStore::readEntries(qint64 drawId)
{
    QList<RecordEntry> all;
    Statement rows(m_db, Sql::DrawEntries);
    rows.bindAll(drawId);
    while (rows.next())
        all.append(readEntry(rows));
    return all;
}

QList<RecordEntry> DrawRecordStore::entries(qint64 drawId)
{
    return guarded([&] { return readEntries(drawId); });
}

RecordCheck DrawRecordStore::check(qint64 drawId)
{
    return RecordChain::verify(entries(drawId));
}

void DrawRecordStore::exportCsv(qint64 drawId, const QString &path)
{
    const QList<RecordEntry> all = guarded([&] {
        requireDraw(drawId);
        return readEntries(drawId);
    });
    try {
        CsvWriter csv(path);
        int row = 1;
        for (int column = 0; column < int(EntryColumns.size()); ++column)
            csv.writeCell(row, column + 1, QLatin1String(EntryColumns[size_t(column)]));
        for (const RecordEntry &e : all) {
            ++row;
            const QStringList cells = {
                QString::number(e.drawId),
                QString::number(e.seq),
                e.kind,
                QString::number(e.prizeNumber),
                e.prizeName,
                e.prizeItem,
                QString::number(e.round),
                e.phone,
                e.name,
                e.comment,
                e.time,
                e.voidsSeq ? QString::number(*e.voidsSeq) : QString(),
                e.reason,
                e.voided ? QStringLiteral("1") : QStringLiteral("0"),
                e.voidReason,
                e.hash,
            };
            for (int column = 0; column < cells.size(); ++column)
                csv.writeCell(row, column + 1, cells.at(column));
        }
        csv.save();
    } catch (const WriteError &) {
        throw WriteError(QStringLiteral("无法写入抽奖记录文件“%1”。请确认文件夹存在并且可以写入、这个文件没有被其他程序"
                                        "（例如 Excel）打开，然后重新导出。")
                             .arg(Files::displayPath(QFileInfo(path).absoluteFilePath())));
    }
}
