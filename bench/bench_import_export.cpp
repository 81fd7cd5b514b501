// Import and export through the main window's own handlers: a 100,000-row .xlsx and a
// 60,000-row .xls imported, and the same grids exported to each format. Prints medians, and
// the ratio to LibreOffice converting the same file to CSV when LibreOffice is installed.
// For the import also how soon its progress window shows and the longest time the UI thread
// handled no event (no timer, no queued paint; the bar's own steps repaint it directly).
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/data/Database.h"
#include "core/spreadsheet/SheetWriter.h"
#include "gui/app/Application.h"
#include "gui/app/MainWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int Runs = 5;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

void makeSheet(const QString &file, SheetFormat format, int participants)
{
    auto writer = SheetWriter::create(format, file);
    const QStringList header{QStringLiteral("序号"), QStringLiteral("手机号"), QStringLiteral("姓名"),
                             QStringLiteral("备注")};
    for (int c = 0; c < 4; ++c)
        writer->writeCell(1, c + 1, header.at(c));
    for (int i = 1; i <= participants; ++i) {
        writer->writeCell(i + 1, 1, QString::number(i));
        writer->writeCell(i + 1, 2, QString::number(13800000000LL + i));
        writer->writeCell(i + 1, 3, QStringLiteral("参选人%1").arg(i));
        writer->writeCell(i + 1, 4, QStringLiteral("销售部"));
    }
    writer->save();
}

template <typename Fn> double timeIt(Fn &&fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e9;
}

/// Watches the UI thread during one import: when the progress window first shows, and the
/// longest gap between two ticks of a 10 ms timer.
class UiWatch final : public QObject
{
public:
    UiWatch()
    {
        m_ticker.setInterval(10);
        QObject::connect(&m_ticker, &QTimer::timeout, this, [this] { tick(); });
    }
    void start()
    {
        m_clock.start();
        m_lastTick = 0;
        m_longestGap = 0;
        m_shownAt = -1;
        qApp->installEventFilter(this);
        m_ticker.start();
    }
    void stop()
    {
        tick();
        m_ticker.stop();
        qApp->removeEventFilter(this);
    }
    double shownAfter() const { return m_shownAt / 1e9; }
    double longestGap() const { return m_longestGap / 1e9; }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_shownAt < 0 && object->objectName() == QLatin1String("progressPopup"))
            m_shownAt = m_clock.nsecsElapsed();
        return false;
    }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longestGap = std::max(m_longestGap, now - m_lastTick);
        m_lastTick = now;
    }

    QTimer m_ticker;
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    qint64 m_longestGap = 0;
    qint64 m_shownAt = -1;
};

QString libreOffice()
{
    for (const char *name : {"soffice", "libreoffice"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(name));
        if (!path.isEmpty())
            return path;
    }
    return QString();
}

double libreOfficeToCsv(const QString &office, const QString &file, const QString &outDir)
{
    QList<double> times;
    for (int run = 0; run < 3; ++run) {
        times << timeIt([&] {
            QProcess p;
            p.start(office, {QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("csv"),
                             QStringLiteral("--outdir"), outDir, file});
            p.waitForFinished(300000);
        });
    }
    return median(times);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    TestDb db;
    const QDir dir(db.root());
    ScriptedDialogs dialogs;
    Database connection(db.dbFile());
    MainWindow window(connection);
    auto *importButton = window.findChild<QPushButton *>(QStringLiteral("importButton"));
    auto *exportButton = window.findChild<QPushButton *>(QStringLiteral("exportParticipantsButton"));
    QTextStream out(stdout);
    const QString office = libreOffice();

    struct Case
    {
        const char *label;
        SheetFormat format;
        const char *suffix;
        int participants;
        double goal;
    };
    for (const Case &c : {Case{"100000-row .xlsx", SheetFormat::Xlsx, ".xlsx", 100000, 1.5},
                          Case{"60000-row .xls", SheetFormat::Xls, ".xls", 60000, 1.0}}) {
        const QString source = dir.path() + QStringLiteral("/source") + QLatin1String(c.suffix);
        makeSheet(source, c.format, c.participants);
        QList<double> times;
        QList<double> shownAfter;
        QList<double> longestGaps;
        UiWatch watch;
        for (int run = 0; run < Runs; ++run) {
            dialogs.fileNames = {source};
            watch.start();
            times << timeIt([&] { importButton->click(); });
            watch.stop();
            shownAfter << watch.shownAfter();
            longestGaps << watch.longestGap();
        }
        if (!dialogs.messages.isEmpty()) {
            out << "import failed: " << dialogs.messages.last().text << Qt::endl;
            return 1;
        }
        const double ours = median(times);
        out << "import " << c.label << ": median " << QString::number(ours, 'f', 3) << " s (goal <= " << c.goal
            << " s)\n";
        out << "  progress window shown after: median " << QString::number(median(shownAfter), 'f', 3)
            << " s; longest time without event handling: median " << QString::number(median(longestGaps), 'f', 3)
            << " s\n";
        if (!office.isEmpty()) {
            const double lo = libreOfficeToCsv(office, source, dir.path() + QStringLiteral("/lo"));
            out << "  LibreOffice headless to CSV: median " << QString::number(lo, 'f', 3)
                << " s, ratio ours/LibreOffice " << QString::number(ours / lo, 'f', 2) << " (goal <= 0.5)\n";
        } else {
            out << "  LibreOffice not installed: no ratio\n";
        }
        for (const char *suffix : {".xls", ".xlsx", ".csv"}) {
            if (QLatin1String(suffix) == QLatin1String(".xls") && c.participants >= 65536) {
                out << "  export of " << c.participants
                    << " participants to .xls: refused, a .xls sheet holds 65,536 rows\n";
                continue;
            }
            QList<double> exportTimes;
            for (int run = 0; run < Runs; ++run) {
                dialogs.fileNames = {dir.path() + QStringLiteral("/export") + QLatin1String(suffix)};
                exportTimes << timeIt([&] { exportButton->click(); });
            }
            out << "  export of the same " << c.participants << " participants to " << suffix << ": median "
                << QString::number(median(exportTimes), 'f', 3) << " s (goal <= 1 s)\n";
        }
        out.flush();
    }
    return dialogs.messages.isEmpty() ? 0 : 1;
}
