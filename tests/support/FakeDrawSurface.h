#pragma once

#include "core/draw/DrawSurface.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QStringList>

#include <functional>

/// The draw screen as the engine sees it, recording every call. onRow runs after a row has
/// been recorded, on the UI thread, while the worker waits on that row.
class FakeDrawSurface final : public DrawSurface
{
public:
    struct Row
    {
        int row;
        QString text;
    };

    void showTileRow(int row, const QString &text) override
    {
        rows.append({row, text});
        tiles[row] = text;
        if (onRow)
            onRow(row, text);
    }
    void showWarning(const QString &text, const QString &caption) override
    {
        warnings.append({text, caption});
        if (onWarning)
            onWarning();
    }
    void rollFailed(const QString &reason) override { failures.append(reason); }
    /// A reveal counts as a row shown, as the screen shows it on the tiles.
    void revealRow(int row, const QString &phone, const QString &name) override
    {
        rows.append({row, phone});
        tiles[row] = phone;
        revealedNames[row] = name;
    }
    void playWinMusic() override { calls.append(QStringLiteral("music")); }
    void addNotificationLine(const QString &line) override
    {
        lines.append(line);
        calls.append(QStringLiteral("line"));
    }
    void showNotification() override { calls.append(QStringLiteral("show")); }

    /// What row r shows now.
    QString tile(int r) const { return tiles.value(r); }
    /// The texts of every row update so far, in order.
    QStringList rowTexts() const
    {
        QStringList out;
        for (const Row &r : rows)
            out << r.text;
        return out;
    }
    void clear()
    {
        rows.clear();
        warnings.clear();
        failures.clear();
        lines.clear();
        calls.clear();
    }

    QList<Row> rows;
    QMap<int, QString> tiles;
    QMap<int, QString> revealedNames;
    QList<QPair<QString, QString>> warnings;
    QStringList failures;
    QStringList lines;
    QStringList calls; // "music", "line", "show" in the order asked
    std::function<void(int, const QString &)> onRow;
    std::function<void()> onWarning; // runs while the warning "shows"
};
