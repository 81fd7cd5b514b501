// Import of participants from a spreadsheet and the exports, through the main window, and
// the folder their dialogs come back to.
#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "core/base/Error.h"
#include "core/data/Database.h"
#include "core/data/DrawRecordStore.h"
#include "core/data/Settings.h"
#include "core/spreadsheet/SheetReader.h"
#include "gui/app/MainWindow.h"
#include "gui/ui/ErrorBoundary.h"
#include "gui/ui/GridModel.h"
#include "gui/ui/GridView.h"
#include "gui/ui/ProgressPopup.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

/// Watches the progress window: how often it was shown, whether it is still open, and
/// where its bar stood when it closed.
class ProgressWatcher final : public QObject
{
public:
    ProgressWatcher() { qApp->installEventFilter(this); }
    ~ProgressWatcher() override { qApp->removeEventFilter(this); }
    int position = -1;
    int shown = 0;
    int open = 0;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (auto *popup = qobject_cast<ProgressPopup *>(object)) {
            if (event->type() == QEvent::Show) {
                ++shown;
                ++open;
            } else if (event->type() == QEvent::Hide) {
                --open;
                const auto *bar = popup->findChild<QProgressBar *>(QStringLiteral("progressBar"));
                position = bar ? bar->value() : -2;
            }
        }
        return false;
    }
};

/// The window's child of that object name; a missing one ends the run, as every test below
/// depends on the names.
template <typename T> T *child(const QObject &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("The main window has no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

void click(const MainWindow &w, const char *button)
{
    child<QPushButton>(w, button)->click();
}

const GridModel *participantGrid(const MainWindow &w)
{
    return child<GridView>(w, "participantGrid")->gridModel();
}

QString csvField(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

/// Writes a CSV sheet: a header row, then one line per row of columns A to D.
void writeCsv(const QString &file, const QList<QStringList> &rows,
              const QStringList &header = {"序号", "手机号", "姓名", "备注"})
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QStringList lines;
    for (const QStringList &row : QList<QStringList>{header} + rows) {
        QStringList fields;
        for (const QString &cell : row)
            fields << csvField(cell);
        lines << fields.join(QLatin1Char(','));
    }
    f.write(lines.join(QStringLiteral("\r\n")).toUtf8());
}

QList<QStringList> people(int n, int blankPhoneAt = 0)
{
    QList<QStringList> rows;
    for (int i = 1; i <= n; ++i) {
        const QString tel = i == blankPhoneAt ? QString() : QString::number(13900000000LL + i);
        rows.append({QString::number(i), tel, QStringLiteral("人%1").arg(i), QString()});
    }
    return rows;
}

QStringList gridColumn(const GridModel *grid, int column)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << grid->text(r, column);
    return out;
}

} // namespace

class TestSheets final : public QObject
{
    Q_OBJECT

private slots:
    void importRows_data();
    void importRows();
    void importFromAnotherProgram();
    void importKeepsBlanksInGridTrimsInTable();
    void importReplacesLongerGrid();
    void deleteRightAfterImport();
    void importCancelled();
    void importReportsDuplicates();
    void importBadFiles_data();
    void importBadFiles();
    void importStoreFailureChangesNothing();
    void importProgress_data();
    void importProgress();
    void importReadsWhileTheWindowPaints();
    void exportLayouts_data();
    void exportLayouts();
    void exportProgress_data();
    void exportProgress();
    void exportCancelled();
    void exportTooManyRowsForXls();
    void roundTrip_data();
    void roundTrip();
    void dialogsStartInTheLastFolder();
    void folderNotRememberedImportGoesOn_data();
    void folderNotRememberedImportGoesOn();
};

void TestSheets::importRows_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<int>("gridRows");
    QTest::addColumn<int>("stored");
    QTest::newRow("five participants") << people(5) << 5 << 5;
    QTest::newRow("one hundred") << people(100) << 100 << 100;
    QTest::newRow("one hundred and one") << people(101) << 101 << 101;
    QTest::newRow("blank phone in sheet row 101 of 300") << people(299, 100) << 299 << 298;
    QTest::newRow("blank phone in sheet row 50") << people(299, 49) << 299 << 298;
    QList<QStringList> trailing = people(3);
    trailing << QStringList{QStringLiteral("4"), QString(), QString(), QString()}
             << QStringList{QString(), QStringLiteral("  "), QString(), QString()};
    QTest::newRow("blank rows at the end") << trailing << 3 << 3;
    QList<QStringList> nameOnly = people(2);
    nameOnly << QStringList{QString(), QString(), QStringLiteral("无号码"), QString()};
    QTest::newRow("last row with a name only") << nameOnly << 3 << 2;
}

void TestSheets::importRows()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(int, gridRows);
    QFETCH(int, stored);
    TestDb testDb;
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    writeCsv(file, rows);
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "importButton");
    QCOMPARE(dialogs.texts(), QStringList());
    const GridModel *grid = participantGrid(w);
    QCOMPARE(grid->rowCount(), gridRows);
    for (int n = 1; n <= gridRows; ++n) {
        QCOMPARE(grid->text(n - 1, 0), QString::number(n));
        QCOMPARE(grid->text(n - 1, 1), rows.at(n - 1).at(1));
    }
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QString::number(stored)});
    // The row with serial n and record n belong together; a row without a phone number has
    // no record.
    const QStringList pairs = testDb.column(QStringLiteral("select xh || '=' || Tel from Tab_CJ order by xh"));
    for (const QString &pair : pairs) {
        const int n = pair.section(QLatin1Char('='), 0, 0).toInt();
        QCOMPARE(pair.section(QLatin1Char('='), 1), grid->text(n - 1, 1));
    }
}

// A phone number the sheet stores as a number comes in as its eleven digits.
void TestSheets::importFromAnotherProgram()
{
    TestDb testDb;
    ScriptedDialogs dialogs;
    dialogs.fileNames = {QStringLiteral(TEST_DATA "/spreadsheets/participants.xls")};
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "importButton");
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(participantGrid(w)->text(0, 1), QStringLiteral("13800138000"));
    QCOMPARE(participantGrid(w)->text(1, 2), QStringLiteral("  李四 "));
    QCOMPARE(testDb.column(QStringLiteral("select Tel from Tab_CJ where xh = 2")),
             QStringList{QStringLiteral("13912345678")});
    QCOMPARE(testDb.column(QStringLiteral("select Name from Tab_CJ where xh = 2")),
             QStringList{QStringLiteral("李四")});
}

void TestSheets::importKeepsBlanksInGridTrimsInTable()
{
    TestDb testDb;
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    writeCsv(file, {{QStringLiteral("1"), QStringLiteral(" 13800000001\t"), QStringLiteral("  王五 "),
                     QStringLiteral("\"引号\"")}});
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "importButton");
    QCOMPARE(participantGrid(w)->text(0, 1), QStringLiteral(" 13800000001\t"));
    QCOMPARE(participantGrid(w)->text(0, 2), QStringLiteral("  王五 "));
    QCOMPARE(testDb.column(QStringLiteral("select Tel || '|' || Name || '|' || Comment from Tab_CJ")),
             QStringList{QStringLiteral("13800000001|王五|\"引号\"")});
}

void TestSheets::importReplacesLongerGrid()
{
    TestDb testDb;
    testDb.addManyParticipants(30);
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    writeCsv(file, people(3));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Database db(testDb.dbFile());
    MainWindow w(db);
    QCOMPARE(participantGrid(w)->rowCount(), 30);
    click(w, "importButton");
    QCOMPARE(gridColumn(participantGrid(w), 2),
             (QStringList{QStringLiteral("人1"), QStringLiteral("人2"), QStringLiteral("人3")}));
    QCOMPARE(testDb.column(QStringLiteral("select Name from Tab_CJ order by xh")), gridColumn(participantGrid(w), 2));
}

// As after start-up, the first row is current after an import: Delete acts on it before
// anything was clicked.
void TestSheets::deleteRightAfterImport()
{
    TestDb testDb;
    testDb.addManyParticipants(5);
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    writeCsv(file, people(3));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Database db(testDb.dbFile());
    MainWindow w(db);
    child<GridView>(w, "participantGrid")->setCurrentCell(4, 2);
    click(w, "importButton");

    click(w, "deleteParticipantButton");
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral(" 确定删除所选参选人？")});
    QCOMPARE(gridColumn(participantGrid(w), 0), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    QCOMPARE(gridColumn(participantGrid(w), 2), (QStringList{QStringLiteral("人2"), QStringLiteral("人3")}));
    QCOMPARE(testDb.column(QStringLiteral("select xh || '|' || Name from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("1|人2"), QStringLiteral("2|人3")}));
}

void TestSheets::importCancelled()
{
    TestDb testDb;
    testDb.addManyParticipants(2);
    ScriptedDialogs dialogs; // no file name: the dialog is cancelled
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "importButton");
    QCOMPARE(dialogs.fileDialogFilters.first().first(), QStringLiteral("*.xls"));
    QCOMPARE(gridColumn(participantGrid(w), 1),
             (QStringList{QStringLiteral("13800000000"), QStringLiteral("13800000001")}));
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("2")});
}

void TestSheets::importReportsDuplicates()
{
    TestDb testDb;
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    QList<QStringList> rows = people(4);
    rows[2][1] = rows[0][1];
    rows[3][1] = QStringLiteral(" ") + rows[0][1]; // the same number once trimmed
    rows.append(rows[1]);
    writeCsv(file, rows);
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "importButton");
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("5")});
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages.first().text.contains(QStringLiteral("有 2 个手机号码")),
             qPrintable(dialogs.texts().join('\n')));
}

void TestSheets::importBadFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not a spreadsheet") << "photo.xls" << QByteArray("\xFF\xD8\xFF\xE0 not a workbook", 20);
    QTest::newRow("truncated zip") << "list.xlsx" << QByteArray("PK\x03\x04\x14\x00\x00\x00", 8);
    QTest::newRow("empty file") << "list.csv" << QByteArray();
    QTest::newRow("header only") << "list.csv" << QByteArray("序号,手机号,姓名,备注\r\n");
    QTest::newRow("missing file") << "gone.xls" << QByteArray("-");
    QTest::newRow("password-protected xls") << "password.xls" << QByteArray("fixture:password.xls");
    QTest::newRow("encrypted xlsx") << "encrypted.xlsx" << QByteArray("fixture:encrypted.xlsx");
    QTest::newRow("xls named xlsx") << "named.xlsx" << QByteArray("fixture:participants.xls");
}

void TestSheets::importBadFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    TestDb testDb;
    testDb.addManyParticipants(3);
    const QString file = testDb.root() + QLatin1Char('/') + name;
    if (content.startsWith("fixture:")) {
        QVERIFY(QFile::copy(QStringLiteral(TEST_DATA "/spreadsheets/") + QString::fromLatin1(content.mid(8)), file));
    } else if (content != "-") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    ProgressWatcher progress;
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "importButton");
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages.first().text.contains(name), qPrintable(dialogs.messages.first().text));
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    // A failure of the reading, which runs on a thread of its own, is shown exactly as the
    // reader words it.
    try {
        readSheet(file);
    } catch (const Error &e) {
        QCOMPARE(dialogs.messages.first().text, ErrorBoundary::displayText(e.text()));
    }
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("3")});
    QCOMPARE(participantGrid(w)->rowCount(), 3);
    QCOMPARE(progress.open, 0);
}

void TestSheets::importStoreFailureChangesNothing()
{
    TestDb testDb;
    testDb.addManyParticipants(3);
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    writeCsv(file, people(50));
    // A trigger makes the 40th insert fail, half way through the import.
    testDb.exec(QStringLiteral("create trigger boom before insert on Tab_CJ when new.xh = 40 "
                               "begin select raise(abort, 'disk I/O error'); end"));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    ProgressWatcher progress;
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "importButton");
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages.first().text.contains(QStringLiteral("list.csv")));
    QVERIFY(dialogs.messages.first().text.contains(QStringLiteral("disk I/O error")));
    QCOMPARE(
        testDb.column(QStringLiteral("select Tel from Tab_CJ order by xh")),
        (QStringList{QStringLiteral("13800000000"), QStringLiteral("13800000001"), QStringLiteral("13800000002")}));
    QCOMPARE(gridColumn(participantGrid(w), 1), testDb.column(QStringLiteral("select Tel from Tab_CJ order by xh")));
    QCOMPARE(progress.shown, 1);
    QCOMPARE(progress.open, 0);
}

void TestSheets::importProgress_data()
{
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("position");
    QTest::newRow("50 rows: one step a row, the bar ends at 50") << 50 << 50;
    QTest::newRow("199 rows: the bar ends full") << 199 << 100;
    QTest::newRow("250 rows: the bar ends full") << 250 << 100;
}

void TestSheets::importProgress()
{
    QFETCH(int, c);
    QFETCH(int, position);
    TestDb testDb;
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    writeCsv(file, people(c));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    ProgressWatcher progress;
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "importButton");
    QCOMPARE(progress.shown, 1);
    QCOMPARE(progress.open, 0);
    QCOMPARE(progress.position, position);
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QString::number(c)});
}

// The file is read off the UI thread: while the reading waits, the progress window is shown
// and painted and timers run. The file is a FIFO that this thread's timer feeds only once it
// has seen the window painted, so the reading cannot end before that. Were it read on the UI
// thread, nothing would feed it; a helper thread then does, after a while, and the test fails.
void TestSheets::importReadsWhileTheWindowPaints()
{
    TestDb testDb;
    testDb.addManyParticipants(3);
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    // ASCII only: a reader that opens the FIFO while a feed is under way still gets whole rows.
    const QByteArray content = "xh,Tel,Name,Comment\r\n1,13800000001,Zhang San,Sales\r\n2,13800000002,Li Si,\r\n";
    std::signal(SIGPIPE, SIG_IGN); // a reader that has read all it wants closes its end early
    const auto feed = [&file, &content] {
        // Succeeds only while the import has the FIFO open for reading.
        const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
        ::close(fd);
        return written;
    };

    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Database db(testDb.dbFile());
    MainWindow w(db);

    struct PaintWatcher final : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *object, QEvent *event) override
        {
            if (event->type() == QEvent::Paint && object->objectName() == QLatin1String("progressBar"))
                ++paints;
            return false;
        }
    } painted;
    qApp->installEventFilter(&painted);
    int feeds = 0;
    QTimer feeder;
    feeder.setInterval(20);
    connect(&feeder, &QTimer::timeout, &feeder, [&] {
        const auto *popup = w.findChild<ProgressPopup *>();
        if (popup && popup->isVisible() && painted.paints > 0 && feed())
            ++feeds;
    });
    feeder.start();
    std::atomic<bool> done = false;
    std::thread rescue([&] {
        for (int waited = 0; !done; waited += 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (waited >= 10000)
                feed();
        }
    });

    click(w, "importButton");
    done = true;
    rescue.join();
    feeder.stop();
    qApp->removeEventFilter(&painted);

    QVERIFY2(feeds > 0, "the UI thread handled no timer while the file was read");
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(testDb.column(QStringLiteral("select Tel || '|' || Name from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("13800000001|Zhang San"), QStringLiteral("13800000002|Li Si")}));
    QCOMPARE(gridColumn(participantGrid(w), 2), (QStringList{QStringLiteral("Zhang San"), QStringLiteral("Li Si")}));
}

void TestSheets::exportLayouts_data()
{
    QTest::addColumn<bool>("results");
    QTest::addColumn<QStringList>("header");
    QTest::newRow("participants") << false << QStringList{"序号", "手机号", "姓名", "备注"};
    QTest::newRow("results") << true << QStringList{"序号", "奖项", "奖品", "手机号码", "姓名", "备注"};
}

// Empty grids: the header row and one empty row, exactly as the grid holds them.
void TestSheets::exportLayouts()
{
    QFETCH(bool, results);
    QFETCH(QStringList, header);
    TestDb testDb;
    for (const char *suffix : {".xls", ".xlsx", ".csv"}) {
        const QString file = testDb.root() + QStringLiteral("/out") + QLatin1String(suffix);
        ScriptedDialogs dialogs;
        dialogs.fileNames = {file};
        Database db(testDb.dbFile());
        MainWindow w(db);
        click(w, results ? "exportResultsButton" : "exportParticipantsButton");
        QCOMPARE(dialogs.texts(), QStringList());
        const SheetData sheet = readSheet(file);
        for (int c = 0; c < header.size(); ++c)
            QCOMPARE(sheet.cell(1, c + 1), header.at(c));
        QCOMPARE(sheet.rowCount(), 1);
    }
}

void TestSheets::exportProgress_data()
{
    QTest::addColumn<int>("participants");
    QTest::newRow("30 participants") << 30;
    QTest::newRow("250 participants") << 250;
}

void TestSheets::exportProgress()
{
    QFETCH(int, participants);
    TestDb testDb;
    testDb.addManyParticipants(participants);
    const QString file = testDb.root() + QStringLiteral("/out.xls");
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    ProgressWatcher progress;
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "exportParticipantsButton");
    QCOMPARE(progress.shown, 1);
    QCOMPARE(progress.position, 100);
    QCOMPARE(progress.open, 0);
    QCOMPARE(readSheet(file).rowCount(), participants + 1);
}

void TestSheets::exportCancelled()
{
    TestDb testDb;
    ScriptedDialogs dialogs;
    ProgressWatcher progress;
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "exportParticipantsButton");
    QCOMPARE(dialogs.fileDialogFilters.size(), 1);
    QCOMPARE(dialogs.fileDialogFilters.first().first(), QStringLiteral("*.xls"));
    QCOMPARE(progress.shown, 0);
    QCOMPARE(dialogs.texts(), QStringList());
}

void TestSheets::exportTooManyRowsForXls()
{
    TestDb testDb;
    testDb.addManyParticipants(65536); // with the header row: one row too many for .xls
    const QString file = testDb.root() + QStringLiteral("/名单%1.xls");
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    ProgressWatcher progress;
    Database db(testDb.dbFile());
    MainWindow w(db);
    click(w, "exportParticipantsButton");
    QCOMPARE(
        dialogs.texts(),
        QStringList{QStringLiteral("“%1”没有保存：.xls 格式的工作表最多只能有 65536 行，放不下这个表格（需要 65537 "
                                   "行）。请选择 *.xlsx 格式保存。")
                        .replace(QStringLiteral("%1"), QDir::toNativeSeparators(file))});
    QVERIFY(!QFile::exists(file));
    QCOMPARE(progress.shown, 0);
}

void TestSheets::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::newRow("xls") << "p.xls"
                         << "*.xls";
    QTest::newRow("xlsx") << "p.xlsx"
                          << "*.xlsx";
    QTest::newRow("csv") << "p.csv"
                         << "*.csv";
    QTest::newRow("xlsx chosen by filter, no extension") << "p"
                                                         << "*.xlsx";
    QTest::newRow("extension wins over filter") << "p.csv"
                                                << "*.xls";
}

// Export then import returns the same participants, in every format.
void TestSheets::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    TestDb testDb;
    testDb.addParticipants(
        {{QStringLiteral("13800000001"), QStringLiteral("张三"), QStringLiteral("销售部, 北京")},
         {QStringLiteral("13800000002"), QStringLiteral("O'Brien \"Jr\""), QStringLiteral("第一行\n第二行")},
         {QStringLiteral("013800000003"), QString(), QStringLiteral("前后 空格")}});
    const QString file = testDb.root() + QLatin1Char('/') + name;
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file, file};
    dialogs.chosenFilter = filter;
    Database db(testDb.dbFile());
    MainWindow w(db);
    const QStringList before =
        testDb.column(QStringLiteral("select Tel || '|' || Name || '|' || Comment from Tab_CJ order by xh"));
    click(w, "exportParticipantsButton");
    QVERIFY(QFile::exists(file));
    testDb.exec(QStringLiteral("delete from Tab_CJ"));
    click(w, "importButton");
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(testDb.column(QStringLiteral("select Tel || '|' || Name || '|' || Comment from Tab_CJ order by xh")),
             before);
    QCOMPARE(participantGrid(w)->text(2, 1), QStringLiteral("013800000003"));
}

// The import, the exports and the record's export share one folder: each dialog starts where
// the last file was chosen, also after a restart; a cancelled dialog changes nothing.
void TestSheets::dialogsStartInTheLastFolder()
{
    TestDb testDb;
    const QString lists = testDb.root() + QStringLiteral("/名单");
    const QString out = testDb.root() + QStringLiteral("/导出");
    QVERIFY(QDir().mkpath(lists) && QDir().mkpath(out));
    writeCsv(lists + QStringLiteral("/list.csv"), people(3));
    {
        Database db(testDb.dbFile());
        DrawRecordStore(db).startDraw(QDateTime::currentDateTime()); // a record to export
    }
    ScriptedDialogs dialogs;
    dialogs.fileNames = {lists + QStringLiteral("/list.csv"), out + QStringLiteral("/参选人.xlsx"),
                         out + QStringLiteral("/results.csv"), lists + QStringLiteral("/record.csv"), QString()};
    {
        Database db(testDb.dbFile());
        MainWindow w(db);
        click(w, "importButton");
        click(w, "exportParticipantsButton");
        click(w, "exportResultsButton");
        click(w, "exportRecordButton");
    }
    Database db(testDb.dbFile());
    MainWindow restarted(db);
    click(restarted, "importButton"); // cancelled
    QCOMPARE(dialogs.fileDialogFolders, (QStringList{QString(), lists, out, out, lists}));
    QVERIFY(QFile::exists(out + QStringLiteral("/参选人.xlsx")) &&
            QFile::exists(lists + QStringLiteral("/record.csv")));
    QCOMPARE(Settings::load(testDb.settingsFile()).sheetFolder, lists);
    QCOMPARE(Settings::load(testDb.settingsFile()).mediaFolder, QString());
}

void TestSheets::folderNotRememberedImportGoesOn_data()
{
    QTest::addColumn<bool>("folderInItsPlace"); // else a read-only settings file
    QTest::newRow("read-only settings file") << false;
    QTest::newRow("a folder in the settings file's place") << true;
}

// Remembering the folder is a convenience: a settings file that cannot be written is logged,
// not shown, and the import goes on.
void TestSheets::folderNotRememberedImportGoesOn()
{
    QFETCH(bool, folderInItsPlace);
    TestDb testDb;
    const QString file = testDb.root() + QStringLiteral("/list.csv");
    writeCsv(file, people(4));
    const QByteArray settings = "[System]\r\nSD=5\r\n";
    if (folderInItsPlace) {
        QVERIFY(QDir().mkpath(testDb.settingsFile()));
    } else {
        QFile f(testDb.settingsFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(settings);
        f.close();
        QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        if (QFileInfo(f).isWritable())
            QSKIP("This user writes to read-only files (root)");
    }
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Database db(testDb.dbFile());
    MainWindow w(db);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("list\\.csv.*Unable to write")));
    click(w, "importButton");
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(testDb.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("4")});
    QCOMPARE(participantGrid(w)->rowCount(), 4);
    if (!folderInItsPlace) {
        QFile f(testDb.settingsFile());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), settings);
    }
}

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"
