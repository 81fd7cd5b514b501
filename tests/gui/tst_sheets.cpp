// Import of participants from a spreadsheet and the exports, through the main window.
#include "TestDb.h"

#include "app/frmRaffle.h"
#include "data/Unit_DBLink.h"
#include "spreadsheet/SheetReader.h"
#include "ui/Dialogs.h"
#include "ui/StringGrid.h"
#include "ui/frm_spin.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {

/// Records what the progress window was asked when it closes.
class SpinWatcher final : public QObject
{
public:
    SpinWatcher() { qApp->installEventFilter(this); }
    ~SpinWatcher() override { qApp->removeEventFilter(this); }
    int asked = -1;
    int position = -1;
    int shown = 0;
    int open = 0;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (auto *spin = qobject_cast<Tform_spin *>(object)) {
            if (event->type() == QEvent::Show) {
                ++shown;
                ++open;
            } else if (event->type() == QEvent::Hide) {
                --open;
                asked = spin->stepsAsked();
                position = spin->position();
            }
        }
        return false;
    }
};

QString csvField(const QString &text)
{
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

/// Writes a CSV sheet: a header row, then one line per row of columns A to D.
void writeCsv(const QString &file, const QList<QStringList> &rows, const QStringList &header = {"序号", "手机号", "姓名", "备注"})
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

QStringList gridColumn(const StringGrid *grid, int col)
{
    QStringList out;
    for (int r = 1; r < grid->RowCount(); ++r)
        out << grid->cell(col, r);
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
    void importCancelled();
    void importReportsDuplicates();
    void importBadFiles_data();
    void importBadFiles();
    void importStoreFailureChangesNothing();
    void importProgress_data();
    void importProgress();
    void exportLayouts_data();
    void exportLayouts();
    void exportProgress_data();
    void exportProgress();
    void exportCancelled();
    void exportTooManyRowsForXls();
    void roundTrip_data();
    void roundTrip();
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
    TestDb db;
    const QString file = db.root() + QStringLiteral("/list.csv");
    writeCsv(file, rows);
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Tfmraffle w;
    w.AdvGlowButton1->click();
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(w.Grid_CJ->RowCount(), gridRows + 1);
    for (int n = 1; n <= gridRows; ++n) {
        QCOMPARE(w.Grid_CJ->cell(0, n), QString::number(n));
        QCOMPARE(w.Grid_CJ->cell(1, n), rows.at(n - 1).at(1));
    }
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QString::number(stored)});
    // Grid row n and record n belong together; a row without a phone number has no record.
    const QStringList pairs = db.column(QStringLiteral("select xh || '=' || Tel from Tab_CJ order by xh"));
    for (const QString &pair : pairs) {
        const int n = pair.section(QLatin1Char('='), 0, 0).toInt();
        QCOMPARE(pair.section(QLatin1Char('='), 1), w.Grid_CJ->cell(1, n));
    }
    QCOMPARE(w.Grid_CJ->fixedRows(), 1);
    QVERIFY(w.Grid_CJ->grid()->isCentred(3, gridRows));
}

// A phone number the sheet stores as a number comes in as its eleven digits.
void TestSheets::importFromAnotherProgram()
{
    TestDb db;
    ScriptedDialogs dialogs;
    dialogs.fileNames = {QStringLiteral(CJ_TEST_DATA "/spreadsheets/participants.xls")};
    Tfmraffle w;
    w.AdvGlowButton1->click();
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(w.Grid_CJ->cell(1, 1), QStringLiteral("13800138000"));
    QCOMPARE(w.Grid_CJ->cell(2, 2), QStringLiteral("  李四 "));
    QCOMPARE(db.column(QStringLiteral("select Tel from Tab_CJ where xh = 2")), QStringList{QStringLiteral("13912345678")});
    QCOMPARE(db.column(QStringLiteral("select Name from Tab_CJ where xh = 2")), QStringList{QStringLiteral("李四")});
}

void TestSheets::importKeepsBlanksInGridTrimsInTable()
{
    TestDb db;
    const QString file = db.root() + QStringLiteral("/list.csv");
    writeCsv(file, {{QStringLiteral("1"), QStringLiteral(" 13800000001\t"), QStringLiteral("  王五 "),
                     QStringLiteral("\"引号\"")}});
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Tfmraffle w;
    w.AdvGlowButton1->click();
    QCOMPARE(w.Grid_CJ->cell(1, 1), QStringLiteral(" 13800000001\t"));
    QCOMPARE(w.Grid_CJ->cell(2, 1), QStringLiteral("  王五 "));
    QCOMPARE(db.column(QStringLiteral("select Tel || '|' || Name || '|' || Comment from Tab_CJ")),
             QStringList{QStringLiteral("13800000001|王五|\"引号\"")});
}

void TestSheets::importReplacesLongerGrid()
{
    TestDb db;
    db.addManyParticipants(30);
    const QString file = db.root() + QStringLiteral("/list.csv");
    writeCsv(file, people(3));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Tfmraffle w;
    QCOMPARE(w.Grid_CJ->RowCount(), 31);
    w.AdvGlowButton1->click();
    QCOMPARE(gridColumn(w.Grid_CJ, 2), (QStringList{QStringLiteral("人1"), QStringLiteral("人2"), QStringLiteral("人3")}));
    QCOMPARE(db.column(QStringLiteral("select Name from Tab_CJ order by xh")), gridColumn(w.Grid_CJ, 2));
}

void TestSheets::importCancelled()
{
    TestDb db;
    db.addManyParticipants(2);
    ScriptedDialogs dialogs; // no file name: the dialog is cancelled
    Tfmraffle w;
    w.Grid_CJ->setFixedRows(0);
    w.AdvGlowButton1->click();
    QCOMPARE(dialogs.fileDialogFilters.first().first(), QStringLiteral("*.xls"));
    QCOMPARE(w.Grid_CJ->RowCount(), 3);
    QCOMPARE(w.Grid_CJ->fixedRows(), 1);
    QVERIFY(w.Grid_CJ->grid()->isCentred(0, 0));
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("2")});
}

void TestSheets::importReportsDuplicates()
{
    TestDb db;
    const QString file = db.root() + QStringLiteral("/list.csv");
    QList<QStringList> rows = people(4);
    rows[2][1] = rows[0][1];
    rows[3][1] = QStringLiteral(" ") + rows[0][1]; // the same number once trimmed
    rows.append(rows[1]);
    writeCsv(file, rows);
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    Tfmraffle w;
    w.AdvGlowButton1->click();
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("5")});
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages.first().text.contains(QStringLiteral("有 2 个手机号码")), qPrintable(dialogs.texts().join('\n')));
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
    TestDb db;
    db.addManyParticipants(3);
    const QString file = db.root() + QLatin1Char('/') + name;
    if (content.startsWith("fixture:")) {
        QVERIFY(QFile::copy(QStringLiteral(CJ_TEST_DATA "/spreadsheets/") + QString::fromLatin1(content.mid(8)), file));
    } else if (content != "-") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    SpinWatcher spin;
    Tfmraffle w;
    w.AdvGlowButton1->click();
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages.first().text.contains(name), qPrintable(dialogs.messages.first().text));
    QVERIFY(dialogs.messages.first().icon == Dialogs::Icon::Error);
    QCOMPARE(db.column(QStringLiteral("select count(*) from Tab_CJ")), QStringList{QStringLiteral("3")});
    QCOMPARE(w.Grid_CJ->RowCount(), 4);
    QCOMPARE(spin.open, 0);
}

void TestSheets::importStoreFailureChangesNothing()
{
    TestDb db;
    db.addManyParticipants(3);
    const QString file = db.root() + QStringLiteral("/list.csv");
    writeCsv(file, people(50));
    // A trigger makes the 40th insert fail, half way through the import.
    db.exec(QStringLiteral("create trigger boom before insert on Tab_CJ when new.xh = 40 "
                           "begin select raise(abort, 'disk I/O error'); end"));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    SpinWatcher spin;
    Tfmraffle w;
    w.AdvGlowButton1->click();
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages.first().text.contains(QStringLiteral("list.csv")));
    QVERIFY(dialogs.messages.first().text.contains(QStringLiteral("disk I/O error")));
    QCOMPARE(db.column(QStringLiteral("select Tel from Tab_CJ order by xh")),
             (QStringList{QStringLiteral("13800000000"), QStringLiteral("13800000001"), QStringLiteral("13800000002")}));
    QCOMPARE(gridColumn(w.Grid_CJ, 1), db.column(QStringLiteral("select Tel from Tab_CJ order by xh")));
    QCOMPARE(spin.shown, 1);
    QCOMPARE(spin.open, 0);
}

void TestSheets::importProgress_data()
{
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("position");
    QTest::newRow("50 rows end at 50") << 50 << 50 << 50;
    QTest::newRow("199 rows: every row") << 199 << 199 << 100;
    QTest::newRow("250 rows: every even row, full at row 200") << 250 << 125 << 100;
}

void TestSheets::importProgress()
{
    QFETCH(int, c);
    QFETCH(int, asked);
    QFETCH(int, position);
    TestDb db;
    const QString file = db.root() + QStringLiteral("/list.csv");
    writeCsv(file, people(c));
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    SpinWatcher spin;
    Tfmraffle w;
    w.AdvGlowButton1->click();
    QCOMPARE(spin.asked, asked);
    QCOMPARE(spin.position, position);
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
    TestDb db;
    for (const char *suffix : {".xls", ".xlsx", ".csv"}) {
        const QString file = db.root() + QStringLiteral("/out") + QLatin1String(suffix);
        ScriptedDialogs dialogs;
        dialogs.fileNames = {file};
        Tfmraffle w;
        (results ? w.AdvGlowButton4 : w.AdvGlowButton2)->click();
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
    QTest::addColumn<int>("asked");
    QTest::newRow("30 participants: 31 row and 124 cell steps") << 30 << 31 + 124;
    QTest::newRow("250 participants: row step on every even row") << 250 << 125 + 251 * 4;
}

void TestSheets::exportProgress()
{
    QFETCH(int, participants);
    QFETCH(int, asked);
    TestDb db;
    db.addManyParticipants(participants);
    const QString file = db.root() + QStringLiteral("/out.xls");
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    SpinWatcher spin;
    Tfmraffle w;
    w.AdvGlowButton2->click();
    QCOMPARE(spin.asked, asked);
    QCOMPARE(spin.position, 100);
    QCOMPARE(spin.open, 0);
    QCOMPARE(readSheet(file).rowCount(), participants + 1);
}

void TestSheets::exportCancelled()
{
    TestDb db;
    ScriptedDialogs dialogs;
    SpinWatcher spin;
    Tfmraffle w;
    w.AdvGlowButton2->click();
    QCOMPARE(dialogs.fileDialogFilters.size(), 1);
    QCOMPARE(dialogs.fileDialogFilters.first().first(), QStringLiteral("*.xls"));
    QCOMPARE(spin.shown, 0);
    QCOMPARE(dialogs.texts(), QStringList());
}

void TestSheets::exportTooManyRowsForXls()
{
    TestDb db;
    db.addManyParticipants(65536); // with the header row: one row too many for .xls
    const QString file = db.root() + QStringLiteral("/big.xls");
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file};
    SpinWatcher spin;
    Tfmraffle w;
    w.AdvGlowButton2->click();
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages.first().text.contains(QStringLiteral("*.xlsx")));
    QVERIFY(!QFile::exists(file));
    QCOMPARE(spin.shown, 0);
}

void TestSheets::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::newRow("xls") << "p.xls" << "*.xls";
    QTest::newRow("xlsx") << "p.xlsx" << "*.xlsx";
    QTest::newRow("csv") << "p.csv" << "*.csv";
    QTest::newRow("xlsx chosen by filter, no extension") << "p" << "*.xlsx";
    QTest::newRow("extension wins over filter") << "p.csv" << "*.xls";
}

// Export then import returns the same participants, in every format.
void TestSheets::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    TestDb db;
    db.addParticipants({{QStringLiteral("13800000001"), QStringLiteral("张三"), QStringLiteral("销售部, 北京")},
                        {QStringLiteral("13800000002"), QStringLiteral("O'Brien \"Jr\""), QStringLiteral("第一行\n第二行")},
                        {QStringLiteral("013800000003"), QString(), QStringLiteral("前后 空格")}});
    const QString file = db.root() + QLatin1Char('/') + name;
    ScriptedDialogs dialogs;
    dialogs.fileNames = {file, file};
    dialogs.chosenFilter = filter;
    Tfmraffle w;
    const QStringList before = db.column(QStringLiteral("select Tel || '|' || Name || '|' || Comment from Tab_CJ order by xh"));
    w.AdvGlowButton2->click();
    QVERIFY(QFile::exists(file));
    db.exec(QStringLiteral("delete from Tab_CJ"));
    w.AdvGlowButton1->click();
    QCOMPARE(dialogs.texts(), QStringList());
    QCOMPARE(db.column(QStringLiteral("select Tel || '|' || Name || '|' || Comment from Tab_CJ order by xh")), before);
    QCOMPARE(w.Grid_CJ->cell(1, 3), QStringLiteral("013800000003"));
}

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"
