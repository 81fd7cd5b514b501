#include "core/base/Error.h"
#include "core/spreadsheet/CsvReader.h"
#include "core/spreadsheet/SheetIo.h"
#include "core/spreadsheet/SheetReader.h"
#include "core/spreadsheet/SheetWriter.h"
#include "core/spreadsheet/XlsReader.h"
#include "core/spreadsheet/XlsWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <freexl.h>
#include <limits>

Q_DECLARE_METATYPE(SheetFormat)

namespace {

using Grid = QList<QStringList>;

QString fixture(const QString &name)
{
    return QStringLiteral(TEST_DATA "/spreadsheets/") + name;
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void writeGrid(SheetFormat format, const QString &path, const Grid &grid)
{
    const std::unique_ptr<SheetWriter> writer = SheetWriter::create(format, path);
    for (int r = 0; r < grid.size(); ++r) {
        for (int c = 0; c < grid[r].size(); ++c)
            writer->writeCell(r + 1, c + 1, grid[r][c]);
    }
    writer->save();
}

// Sets the uncompressed size that the ZIP headers give for one entry.
QByteArray withDeclaredSize(QByteArray zip, const QByteArray &entry, quint32 size)
{
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 4)) {
        const quint16 nameLength = qFromLittleEndian<quint16>(zip.constData() + at + 28);
        if (zip.mid(at + 46, nameLength) == entry)
            qToLittleEndian(size, zip.data() + at + 24);
    }
    for (qsizetype at = zip.indexOf("PK\x03\x04"); at >= 0; at = zip.indexOf("PK\x03\x04", at + 4)) {
        const quint16 nameLength = qFromLittleEndian<quint16>(zip.constData() + at + 26);
        if (zip.mid(at + 30, nameLength) == entry)
            qToLittleEndian(size, zip.data() + at + 22);
    }
    return zip;
}

QString chineseText(int length, int seed)
{
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text.append(QChar(0x4E00 + (seed * 131 + i) % 0x5000));
    return text;
}

// Pieces of BIFF records for hand-made workbook streams.
QByteArray le16(quint16 v)
{
    QByteArray b(2, Qt::Uninitialized);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, Qt::Uninitialized);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray f64(double v)
{
    QByteArray b(8, Qt::Uninitialized);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray record(quint16 type, const QByteArray &data)
{
    return le16(type) + le16(quint16(data.size())) + data;
}

// Row, column (both 0-based) and format index of a cell record.
QByteArray cellHead(int row, int column)
{
    return le16(quint16(row)) + le16(quint16(column)) + le16(15);
}

QByteArray utf16String(const QString &text)
{
    return le16(quint16(text.size())) + QByteArray(1, 0x01) +
           QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// A workbook stream: globals (BOF, CODEPAGE, extra records, one BOUNDSHEET, EOF), then the
// worksheet (BOF, the given records, EOF).
QByteArray workbookStream(bool biff8, quint16 codePage, const QByteArray &globals, const QByteArray &sheet)
{
    const quint16 version = biff8 ? 0x0600 : 0x0500;
    const QByteArray bofTail(biff8 ? 12 : 4, '\0');
    const QByteArray name = biff8 ? QByteArray("\x01\x00A", 3) : QByteArray("\x01A", 2);
    QByteArray head = record(0x0809, le16(version) + le16(0x0005) + bofTail) + record(0x0042, le16(codePage)) + globals;
    const int offset = head.size() + 4 + 6 + name.size() + 4;
    head += record(0x0085, le32(quint32(offset)) + QByteArray(2, '\0') + name) + record(0x000A, {});
    return head + record(0x0809, le16(version) + le16(0x0010) + bofTail) + sheet + record(0x000A, {});
}

} // namespace

class TestSpreadsheet : public QObject
{
    Q_OBJECT

private slots:
    void formatFromFileName_data();
    void formatFromFileName();
    void numberText_data();
    void numberText();
    void readFixture_data();
    void readFixture();
    void sheetSize_data();
    void sheetSize();
    void csvParse_data();
    void csvParse();
    void roundTrip_data();
    void roundTrip();
    void csvBytes();
    void biffRecords_data();
    void biffRecords();
    void sstContinue_data();
    void sstContinue();
    void badInput_data();
    void badInput();
    void writerLimits_data();
    void writerLimits();
    void writeFailure_data();
    void writeFailure();
    void unsavedWriterLeavesNoFile_data();
    void unsavedWriterLeavesNoFile();

private:
    QTemporaryDir m_dir;
};

void TestSpreadsheet::formatFromFileName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("format"); // -1: none
    QTest::newRow("xls") << "名单.xls" << int(SheetFormat::Xls);
    QTest::newRow("upper case xlsx") << "C:/data/LIST.XLSX" << int(SheetFormat::Xlsx);
    QTest::newRow("mixed case csv") << "/tmp/a.b/list.Csv" << int(SheetFormat::Csv);
    QTest::newRow("no extension") << "/tmp/list" << -1;
    QTest::newRow("dot in folder only") << "/tmp/a.xls/list" << -1;
    QTest::newRow("other extension") << "list.txt" << -1;
    QTest::newRow("backup of a workbook") << "list.xls.bak" << -1;
}

void TestSpreadsheet::formatFromFileName()
{
    QFETCH(QString, fileName);
    QFETCH(int, format);
    const std::optional<SheetFormat> found = SheetFormats::fromFileName(fileName);
    QCOMPARE(found ? int(*found) : -1, format);
    if (found)
        QCOMPARE(SheetFormats::fromFileName(QStringLiteral("x") + SheetFormats::suffix(*found)), found);
    // An export writes the format the name asks for, whatever filter is chosen; otherwise the
    // filter's format, and .xls for "all three".
    for (const QString &filter : SheetFormats::dialogFilters()) {
        const SheetFormat byFilter = filter == QLatin1String("*.xlsx")  ? SheetFormat::Xlsx
                                     : filter == QLatin1String("*.csv") ? SheetFormat::Csv
                                                                        : SheetFormat::Xls;
        QCOMPARE(int(SheetFormats::forExport(fileName, filter)), found ? int(*found) : int(byFilter));
    }
}

void TestSpreadsheet::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("phone") << 13800138000.0 << "13800138000";
    QTest::newRow("serial") << 7.0 << "7";
    QTest::newRow("negative") << -7.0 << "-7";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("huge whole") << 1e20 << "100000000000000000000";
    QTest::newRow("fraction") << 3.25 << "3.25";
    QTest::newRow("tenth") << 0.1 << "0.1";
    QTest::newRow("third") << 1.0 / 3 << "0.3333333333333333";
    QTest::newRow("tiny") << 1e-7 << "1e-07";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "#NUM!";
}

void TestSpreadsheet::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(SheetIo::numberText(value), text);
}

void TestSpreadsheet::readFixture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    // The same participants, saved by xlwt, openpyxl (inline and shared strings) and LibreOffice.
    struct Variant
    {
        const char *file;
        int extrasRow; // row of the other value kinds
    };
    for (const Variant &v :
         {Variant{"participants.xls", 7}, Variant{"libreoffice.xls", 6}, Variant{"participants.xlsx", 6},
          Variant{"shared.xlsx", 6}, Variant{"libreoffice.xlsx", 6}}) {
        const auto add = [&v](const char *what, int row, int column, const QString &text) {
            QTest::addRow("%s %s", v.file, what) << QString::fromLatin1(v.file) << row << column << text;
        };
        add("header", 1, 1, QStringLiteral("序号"));
        add("rich header", 1, 2, QStringLiteral("手机号"));
        add("phone stored as number", 2, 2, QStringLiteral("13800138000"));
        add("serial", 5, 1, QStringLiteral("4"));
        add("blanks kept", 3, 3, QStringLiteral("  李四 "));
        add("quotes and comma", 3, 4, QStringLiteral("say \"hi\", ok"));
        add("line break", 4, 4, QStringLiteral("line1\nline2"));
        add("empty cell", 5, 3, QString());
        add("fraction", v.extrasRow, 1, QStringLiteral("3.25"));
        add("negative", v.extrasRow, 2, QStringLiteral("-7"));
        add("big whole number", v.extrasRow, 4, QStringLiteral("100000000000000000000"));
        add("second sheet not read", 1, 5, QString());
        add("boolean", v.extrasRow, 3, QStringLiteral("TRUE"));
    }
    for (const char *file : {"utf8-bom.csv", "gbk.csv"}) {
        QTest::addRow("%s header", file) << file << 1 << 1 << "序号";
        QTest::addRow("%s phone", file) << file << 2 << 2 << "13800138000";
        QTest::addRow("%s blanks kept", file) << file << 3 << 3 << "  李四 ";
        QTest::addRow("%s quotes and comma", file) << file << 3 << 4 << "say \"hi\", ok";
        QTest::addRow("%s quoted line break", file) << file << 4 << 4 << "line1\r\nline2";
    }
    // Formula results, computed by LibreOffice.
    const char *formulas = "formulas.xls";
    QTest::newRow("formulas.xls text") << formulas << 1 << 1 << "xy";
    QTest::newRow("formulas.xls fraction") << formulas << 1 << 2 << "0.3333333333333333";
    QTest::newRow("formulas.xls boolean") << formulas << 1 << 3 << "TRUE";
    QTest::newRow("formulas.xls error") << formulas << 1 << 4 << "#DIV/0!";
    QTest::newRow("formulas.xls phone from a formula") << formulas << 2 << 2 << "13800138000";
    QTest::newRow("formulas.xls phone as formula text") << formulas << 2 << 3 << "13800138000";
    QTest::newRow("formulas.xls false") << formulas << 2 << 4 << "FALSE";
    // Hand-made package: inline strings, rows out of order, references left out.
    const char *inl = "inline.xlsx";
    QTest::newRow("inline: blanks kept") << inl << 1 << 1 << " 序号 ";
    QTest::newRow("inline: rich runs, reading skipped") << inl << 1 << 2 << "手机号";
    QTest::newRow("inline: row without reference") << inl << 2 << 1 << "a\rb";
    QTest::newRow("inline: cell without reference") << inl << 2 << 4 << "#DIV/0!";
    QTest::newRow("inline: boolean true") << inl << 2 << 2 << "TRUE";
    QTest::newRow("inline: boolean false") << inl << 2 << 3 << "FALSE";
    QTest::newRow("inline: exponent form phone") << inl << 3 << 2 << "13800138000";
    QTest::newRow("inline: row written first") << inl << 3 << 3 << "张三";
    QTest::newRow("inline: formula text result") << inl << 5 << 1 << "xy";
    QTest::newRow("inline: formula number result") << inl << 5 << 2 << "0.3333333333333333";
    QTest::newRow("inline: styled empty cell") << inl << 5 << 3 << "";
    QTest::newRow("inline: negative zero") << inl << 5 << 4 << "0";
    QTest::newRow("inline: last cell of the grid") << inl << 1048576 << 16384 << "far";
    QTest::newRow("inline: beyond the grid") << inl << 1048577 << 1 << "";
    QTest::newRow("inline: second sheet not read") << inl << 1 << 3 << "";
}

void TestSpreadsheet::readFixture()
{
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    const SheetData sheet = readSheet(fixture(file));
    QCOMPARE(sheet.cell(row, column), text);
}

void TestSpreadsheet::sheetSize_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::newRow("xls") << "participants.xls" << 7 << 4;
    QTest::newRow("xlsx") << "shared.xlsx" << 6 << 4;
    QTest::newRow("csv") << "gbk.csv" << 4 << 4;
    QTest::newRow("one far cell, stored sparse") << "inline.xlsx" << 1048576 << 16384;
}

void TestSpreadsheet::sheetSize()
{
    QFETCH(QString, file);
    QFETCH(int, rows);
    QFETCH(int, columns);
    const SheetData sheet = readSheet(fixture(file));
    QCOMPARE(sheet.rowCount(), rows);
    QCOMPARE(sheet.columnCount(), columns);
    QVERIFY(sheet.cellCount() < 64);
}

void TestSpreadsheet::csvParse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Grid>("cells");
    QTest::newRow("LF") << QByteArray("a,b\nc,d") << Grid{{"a", "b"}, {"c", "d"}};
    QTest::newRow("CR LF, final line end") << QByteArray("a,b\r\nc,d\r\n") << Grid{{"a", "b"}, {"c", "d"}};
    QTest::newRow("CR alone") << QByteArray("a\rb") << Grid{{"a"}, {"b"}};
    QTest::newRow("empty fields and lines") << QByteArray(",x,\n\n,,y") << Grid{{"", "x", ""}, {""}, {"", "", "y"}};
    QTest::newRow("quoted comma and quote") << QByteArray("\"a,\"\"b\"\"\",c") << Grid{{"a,\"b\"", "c"}};
    QTest::newRow("quoted line breaks") << QByteArray("\"1\n2\r\n3\",x\ny") << Grid{{"1\n2\r\n3", "x"}, {"y"}};
    QTest::newRow("quote inside unquoted field") << QByteArray("5\"5,a") << Grid{{"5\"5", "a"}};
    QTest::newRow("text after closing quote") << QByteArray("\"ab\"cd,e") << Grid{{"abcd", "e"}};
    QTest::newRow("unterminated quote") << QByteArray("a,\"bc\nd") << Grid{{"a", "bc\nd"}};
    QTest::newRow("blanks kept") << QByteArray(" a , b ") << Grid{{" a ", " b "}};
    QTest::newRow("UTF-8 without BOM") << QByteArray("张三,李四") << Grid{{"张三", "李四"}};
    QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF张三") << Grid{{"张三"}};
    QTest::newRow("GBK") << QByteArray("\xD5\xC5\xC8\xFD,\xC0\xEE\xCB\xC4") << Grid{{"张三", "李四"}};
    QTest::newRow("UTF-16LE BOM") << QByteArray("\xFF\xFE\x20\x5F\x09\x4E,\x00x\x00", 10) << Grid{{"张三", "x"}};
}

void TestSpreadsheet::csvParse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Grid, cells);
    const SheetData sheet = CsvReader::parse(bytes, QStringLiteral("t.csv"));
    int nonEmptyRows = 0;
    for (int r = 0; r < cells.size(); ++r) {
        for (int c = 0; c < cells[r].size(); ++c)
            QCOMPARE(sheet.cell(r + 1, c + 1), cells[r][c]);
        if (!cells[r].join(QString()).isEmpty())
            nonEmptyRows = r + 1;
    }
    QCOMPARE(sheet.rowCount(), nonEmptyRows);
}

void TestSpreadsheet::roundTrip_data()
{
    QTest::addColumn<SheetFormat>("format");
    QTest::newRow("xls") << SheetFormat::Xls;
    QTest::newRow("xlsx") << SheetFormat::Xlsx;
    QTest::newRow("csv") << SheetFormat::Csv;
}

void TestSpreadsheet::roundTrip()
{
    QFETCH(SheetFormat, format);
    const Grid grid = {
        {"序号", "手机号", "姓名", "备注"},
        {"1", "13800138000", "  张三 ", "say \"hi\", ok"},
        {"2", "007", "李四", "line1\nline2\r\nline3"},
        {"3", "", "", ""}, // only a serial, as an import leaves blank rows
        {"4", "=1+1", "_x0041_ stays", "tab\tand 😀"},
        {"5", "1e5", QString(), chineseText(5000, 1)},
        {"6", " ", "\"", ","},
    };
    const QString path = m_dir.filePath(QStringLiteral("round") + SheetFormats::suffix(format));
    writeGrid(format, path, grid);
    const SheetData sheet = readSheet(path);
    for (int r = 0; r < grid.size(); ++r) {
        for (int c = 0; c < grid[r].size(); ++c)
            QCOMPARE(sheet.cell(r + 1, c + 1), grid[r][c]);
    }
    QCOMPARE(sheet.rowCount(), grid.size());
    QCOMPARE(sheet.columnCount(), 4);
}

void TestSpreadsheet::csvBytes()
{
    // Spreadsheet programs need the BOM to read Chinese and expect CR LF.
    const QString path = m_dir.filePath(QStringLiteral("bytes.csv"));
    writeGrid(SheetFormat::Csv, path, Grid{{"序号", "a,b"}, {"", "x\"y"}});
    QCOMPARE(readBytes(path), QByteArray("\xEF\xBB\xBF序号,\"a,b\"\r\n,\"x\"\"y\"\r\n"));
}

void TestSpreadsheet::biffRecords_data()
{
    QTest::addColumn<bool>("biff8");
    QTest::addColumn<QByteArray>("globals");
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error"); // empty: no error expected

    const QByteArray textFormula =
        cellHead(0, 0) + QByteArray("\x00\x00\x00\x00\x00\x00\xFF\xFF", 8) + QByteArray(6, 0);
    QTest::newRow("BIFF5 label in GBK") << false << QByteArray()
                                        << record(0x0204, cellHead(0, 1) + le16(4) + "\xD5\xC5\xC8\xFD") << 1 << 2
                                        << "张三"
                                        << "";
    QTest::newRow("number") << true << QByteArray() << record(0x0203, cellHead(2, 0) + f64(13800138000.0)) << 3 << 1
                            << "13800138000"
                            << "";
    QTest::newRow("RK integer") << true << QByteArray() << record(0x027E, cellHead(0, 0) + le32(42 << 2 | 2)) << 1 << 1
                                << "42"
                                << "";
    QTest::newRow("RK hundredths") << true << QByteArray() << record(0x027E, cellHead(0, 0) + le32(1234 << 2 | 3)) << 1
                                   << 1 << "12.34"
                                   << "";
    QTest::newRow("RK float") << true << QByteArray() << record(0x027E, cellHead(0, 0) + f64(3.5).right(4)) << 1 << 1
                              << "3.5"
                              << "";
    QTest::newRow("MULRK") << true << QByteArray()
                           << record(0x00BD, le16(4) + le16(1) + le16(15) + le32(7 << 2 | 2) + le16(15) +
                                                 le32(8 << 2 | 2) + le16(2))
                           << 5 << 3 << "8"
                           << "";
    QTest::newRow("boolean") << true << QByteArray() << record(0x0205, cellHead(0, 0) + QByteArray("\x01\x00", 2)) << 1
                             << 1 << "TRUE"
                             << "";
    QTest::newRow("error value") << true << QByteArray() << record(0x0205, cellHead(0, 0) + QByteArray("\x07\x01", 2))
                                 << 1 << 1 << "#DIV/0!"
                                 << "";
    QTest::newRow("formula number") << true << QByteArray()
                                    << record(0x0006, cellHead(0, 1) + f64(13800138000.0) + QByteArray(6, 0)) << 1 << 2
                                    << "13800138000"
                                    << "";
    QTest::newRow("formula text after a shared formula")
        << true << QByteArray()
        << record(0x0006, textFormula) + record(0x04BC, QByteArray(10, 0)) + record(0x0207, utf16String("xy")) << 1 << 1
        << "xy"
        << "";
    QTest::newRow("formula text continued in 8 bits")
        << true << QByteArray()
        << record(0x0006, textFormula) + record(0x0207, le16(6) + QByteArray(1, 1) + QByteArray("a\0b\0c\0", 6)) +
               record(0x003C, QByteArray("\0def", 4))
        << 1 << 1 << "abcdef"
        << "";
    QTest::newRow("formula boolean") << true << QByteArray()
                                     << record(0x0006, cellHead(0, 0) + QByteArray("\x01\0\x01\0\0\0\xFF\xFF", 8) +
                                                           QByteArray(6, 0))
                                     << 1 << 1 << "TRUE"
                                     << "";
    QTest::newRow("chart inside the sheet skipped")
        << true << QByteArray()
        << record(0x0809, le16(0x0600) + le16(0x0020) + QByteArray(12, 0)) + record(0x0203, cellHead(0, 0) + f64(1)) +
               record(0x000A, {}) + record(0x0203, cellHead(0, 1) + f64(2))
        << 1 << 1 << ""
        << "";
    // A rich string with a phonetic block, its characters going on in 8 bits in CONTINUE.
    const QByteArray sst =
        record(0x00FC,
               le32(2) + le32(2) + le16(5) + QByteArray(1, 0x0D) + le16(1) + le32(6) + QByteArray("a\0b\0", 4)) +
        record(0x003C, QByteArray("\0cde", 4) + QByteArray(4 + 6, 'z') + le16(1) + QByteArray(1, 0) + "x");
    QTest::newRow("shared string, rich and phonetic, continued")
        << true << sst << record(0x00FD, cellHead(0, 0) + le32(0)) << 1 << 1 << "abcde"
        << "";
    QTest::newRow("shared string after a continued one")
        << true << sst << record(0x00FD, cellHead(0, 0) + le32(1)) << 1 << 1 << "x"
        << "";
    QTest::newRow("missing shared string") << true << sst << record(0x00FD, cellHead(0, 0) + le32(2)) << 1 << 1 << ""
                                           << "引用的共享字符串不存在";
    QTest::newRow("password") << true << record(0x002F, QByteArray(54, 1)) << QByteArray() << 1 << 1 << ""
                              << "设有密码";
    QTest::newRow("record past the end") << true << QByteArray() << le16(0x0203) + le16(200) + QByteArray(20, 0) << 1
                                         << 1 << ""
                                         << "提前结束";
}

void TestSpreadsheet::biffRecords()
{
    QFETCH(bool, biff8);
    QFETCH(QByteArray, globals);
    QFETCH(QByteArray, sheet);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(QString, error);
    const QByteArray stream = workbookStream(biff8, biff8 ? 1200 : 936, globals, sheet);
    try {
        const SheetData data = XlsReader::parseWorkbookStream(stream, QStringLiteral("hand-made.xls"));
        QVERIFY2(error.isEmpty(), "no error");
        QCOMPARE(data.cell(row, column), text);
    } catch (const Error &e) {
        QVERIFY2(!error.isEmpty() && e.text().contains(error), qPrintable(e.text()));
        QVERIFY(e.text().contains(QLatin1String("hand-made.xls")));
    }
}

void TestSpreadsheet::sstContinue_data()
{
    QTest::addColumn<QList<int>>("lengths");
    // The string table's first record holds 8224 bytes: 8 of counts, then per string 3 of
    // header and 2 per character. One string of n characters leaves 8213 - 2n bytes; a short
    // string first shifts that by 5, so the next header meets every remaining room from 0 to 6.
    for (int room = 0; room <= 6; ++room) {
        QList<int> lengths;
        const int before = room % 2 == 0 ? 1 : 0;
        if (before)
            lengths << 1;
        lengths << (8213 - 5 * before - room) / 2 << 3 << 2;
        QTest::addRow("room %d after the first strings", room) << lengths;
    }
    QTest::newRow("string over two records") << QList<int>{10, 8000, 7};
    QTest::newRow("longest string within two records") << QList<int>{5, 8221, 5};
    QTest::newRow("long string first") << QList<int>{8217, 9};
    // FreeXL read past its record buffer and crashed on this one.
    QTest::newRow("longest cell text, over five records") << QList<int>{32767, 32767, 3};
    QList<int> many;
    for (int i = 0; i < 6000; ++i)
        many << 1 + i % 23;
    QTest::newRow("many short strings") << many;
}

void TestSpreadsheet::sstContinue()
{
    QFETCH(QList<int>, lengths);
    const QString path = m_dir.filePath(QStringLiteral("sst.xls"));
    QStringList texts;
    XlsWriter writer(path);
    for (int i = 0; i < lengths.size(); ++i) {
        texts << chineseText(lengths[i], i);
        writer.writeCell(i + 1, 1, texts.last());
    }

    // No record beyond the BIFF8 limit; every EXTSST entry points at the header of its string.
    const QByteArray stream = writer.workbookStream();
    qsizetype extSst = -1;
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const quint16 type = qFromLittleEndian<quint16>(stream.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(stream.constData() + at + 2);
        QVERIFY2(length <= 8224, qPrintable(QStringLiteral("record 0x%1 of %2 bytes").arg(type, 0, 16).arg(length)));
        if (type == 0x00FF)
            extSst = at;
        at += 4 + length;
    }
    QVERIFY(extSst > 0);
    const quint16 perBucket = qFromLittleEndian<quint16>(stream.constData() + extSst + 4);
    const int buckets = (qFromLittleEndian<quint16>(stream.constData() + extSst + 2) - 2) / 8;
    QCOMPARE(buckets, (lengths.size() + perBucket - 1) / perBucket);
    for (int b = 0; b < buckets; ++b) {
        const char *entry = stream.constData() + extSst + 6 + 8 * b;
        const quint32 offset = qFromLittleEndian<quint32>(entry);
        const quint16 inRecord = qFromLittleEndian<quint16>(entry + 4);
        QCOMPARE(qFromLittleEndian<quint16>(stream.constData() + offset), quint16(lengths[b * perBucket]));
        const quint16 recordType = qFromLittleEndian<quint16>(stream.constData() + offset - inRecord);
        QVERIFY(recordType == 0x00FC || recordType == 0x003C);
    }

    writer.save();
    const SheetData sheet = readSheet(path);
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(sheet.cell(i + 1, 1), texts[i]);

    // Other programs' readers. FreeXL follows a string into one CONTINUE record only, which
    // our layout guarantees up to 8,217 characters.
    if (*std::max_element(lengths.begin(), lengths.end()) <= 8217) {
        const void *handle = nullptr;
        QCOMPARE(freexl_open(QFile::encodeName(path).constData(), &handle), FREEXL_OK);
        FreeXL_CellValue value;
        for (int i = 0; i < texts.size(); ++i) {
            QCOMPARE(freexl_get_cell_value(handle, unsigned(i), 0, &value), FREEXL_OK);
            QCOMPARE(QString::fromUtf8(value.value.text_value), texts[i]);
        }
        freexl_close(handle);
    }
    QProcess xlrd;
    xlrd.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"),
                QStringLiteral("import sys, xlrd\n"
                               "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                               "sys.stdout.buffer.write('\\0'.join(s.col_values(0)).encode())"),
                path});
    if (!xlrd.waitForFinished(60000) || xlrd.exitStatus() != QProcess::NormalExit)
        QSKIP("python3 is not available to cross-check the file with xlrd");
    if (xlrd.exitCode() != 0 && xlrd.readAllStandardError().contains("No module named"))
        QSKIP("python3-xlrd is not installed to cross-check the file");
    QCOMPARE(xlrd.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(xlrd.readAllStandardOutput()).split(QChar(0)), texts);
}

void TestSpreadsheet::badInput_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes"); // null: no file at all
    QTest::addColumn<QString>("message");

    const QByteArray xls = readBytes(fixture(QStringLiteral("participants.xls")));
    const QByteArray xlsx = readBytes(fixture(QStringLiteral("participants.xlsx")));
    const QByteArray png("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const QByteArray sheetXml = "xl/worksheets/sheet1.xml";

    // Names holding "%1" must come out whole: the name is put into each message last.
    QTest::newRow("missing file") << "名单%1.xlsx" << QByteArray() << "无法打开文件";
    QTest::newRow("empty xls") << "empty.xls" << QByteArray("") << "是空的";
    QTest::newRow("empty xlsx") << "empty.xlsx" << QByteArray("") << "是空的";
    QTest::newRow("empty csv") << "名单%1.csv" << QByteArray("") << "是空的";
    QTest::newRow("picture named xlsx") << "pic.xlsx" << png << "不是表格文件";
    QTest::newRow("text named xls") << "text.xls" << QByteArray("a,b\n") << "不是表格文件";
    QTest::newRow("picture named csv") << "pic.csv" << png << "二进制数据";
    QTest::newRow("truncated xls") << "名单%1.xls" << xls.left(3000) << "已损坏";
    QTest::newRow("truncated xlsx") << "cut.xlsx" << xlsx.left(xlsx.size() / 2) << "已损坏";
    QTest::newRow("xls named xlsx") << "名单%1%2.xlsx" << xls << "其实是一个 Excel 97-2003 工作簿（.xls）";
    QTest::newRow("xlsx named xls") << "new.xls" << xlsx << "新格式（.xlsx）";
    QTest::newRow("xlsx named csv") << "new.csv" << xlsx << "扩展名改为 .xlsx";
    QTest::newRow("password-protected xls")
        << "password.xls" << readBytes(fixture(QStringLiteral("password.xls"))) << "设有密码";
    QTest::newRow("password-protected xlsx")
        << "encrypted.xlsx" << readBytes(fixture(QStringLiteral("encrypted.xlsx"))) << "设有密码";
    QTest::newRow("password-protected xlsx, no extension")
        << "encrypted" << readBytes(fixture(QStringLiteral("encrypted.xlsx"))) << "设有密码";
    QTest::newRow("zip bomb") << "名单%1.xlsx" << withDeclaredSize(xlsx, sheetXml, 0x7FFFFFFF) << "太大";
    QTest::newRow("declared size too small") << "short.xlsx" << withDeclaredSize(xlsx, sheetXml, 100) << "已损坏";

    // Packages that are ZIP files but not good workbooks: made here from a copy of the openpyxl
    // file with stored (not deflated) parts by replacing a text with another of the same
    // length, so that the ZIP stays valid.
    const QByteArray stored = readBytes(fixture(QStringLiteral("stored.xlsx")));
    const auto replaced = [&stored](const char *from, const char *to) {
        if (!stored.contains(from) || qstrlen(from) != qstrlen(to))
            qFatal("fixture does not hold %s", from);
        return QByteArray(stored).replace(from, to); // local header and central directory alike
    };
    QTest::newRow("no workbook part") << "nobook.xlsx" << QByteArray(xlsx).replace("xl/workbook.xml", "xl/workbook.xmk")
                                      << "文件中没有工作簿"; // names in the ZIP headers only
    QTest::newRow("bad cell reference") << "ref.xlsx" << replaced("<c r=\"B2\"", "<c r=\"B0\"") << "单元格位置 B0 无效";
    QTest::newRow("bad row number") << "row.xlsx" << replaced("<row r=\"2\">", "<row r=\"0\">") << "行号 0 无效";
    QTest::newRow("missing shared string")
        << "sst.xlsx" << replaced("<v>10</v>", "<v>99</v>") << "引用的共享字符串不存在";
    QTest::newRow("malformed XML") << "xml.xlsx" << replaced("</sheetData>", "</sheetDatx>") << "sheet1.xml";
}

void TestSpreadsheet::badInput()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(QStringLiteral("bad/") + fileName);
    QDir().mkpath(m_dir.filePath(QStringLiteral("bad")));
    QFile::remove(path);
    if (!bytes.isNull())
        writeBytes(path, bytes);
    try {
        const SheetData sheet = readSheet(path);
        QFAIL(qPrintable(QStringLiteral("read %1 rows").arg(sheet.rowCount())));
    } catch (const Error &e) {
        QVERIFY2(e.text().contains(QDir::toNativeSeparators(path)), qPrintable(e.text()));
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
}

void TestSpreadsheet::writerLimits_data()
{
    QTest::addColumn<SheetFormat>("format");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("textLength");
    QTest::addColumn<QString>("message");
    // Cells (1, 1) and (1, 2) are written before.
    QTest::newRow("xls row 65537") << SheetFormat::Xls << 65537 << 1 << 1 << "最多只能有 65536 行";
    QTest::newRow("xls column 257") << SheetFormat::Xls << 2 << 257 << 1 << "最多只能有 256 列";
    QTest::newRow("xlsx row 1048577") << SheetFormat::Xlsx << 1048577 << 1 << 1 << "最多只能有 1048576 行";
    QTest::newRow("xls long text") << SheetFormat::Xls << 2 << 1 << 32768 << "最多只能有 32767 个字符";
    QTest::newRow("xlsx long text") << SheetFormat::Xlsx << 2 << 1 << 32768 << "最多只能有 32767 个字符";
    QTest::newRow("row 0") << SheetFormat::Csv << 0 << 1 << 1 << "顺序不对";
    QTest::newRow("same cell again") << SheetFormat::Csv << 1 << 2 << 1 << "顺序不对";
    QTest::newRow("back to an earlier column") << SheetFormat::Xls << 1 << 1 << 1 << "顺序不对";
}

void TestSpreadsheet::writerLimits()
{
    QFETCH(SheetFormat, format);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, textLength);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(QStringLiteral("名单%1") + SheetFormats::suffix(format));
    const std::unique_ptr<SheetWriter> writer = SheetWriter::create(format, path);
    writer->writeCell(1, 1, QStringLiteral("x"));
    writer->writeCell(1, 2, QStringLiteral("x"));
    try {
        writer->writeCell(row, column, QString(textLength, QLatin1Char('a')));
        QFAIL("no error");
    } catch (const Error &e) {
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        QVERIFY2(e.text().contains(QDir::toNativeSeparators(path)), qPrintable(e.text()));
        if (format == SheetFormat::Xls && row > SheetFormats::XlsMaxRows)
            QVERIFY2(e.text().contains(QStringLiteral("请选择 *.xlsx 格式保存")), qPrintable(e.text()));
    }
}

void TestSpreadsheet::writeFailure_data()
{
    QTest::addColumn<SheetFormat>("format");
    QTest::addColumn<QString>("where"); // missing folder, folder, read-only file
    for (SheetFormat f : {SheetFormat::Xls, SheetFormat::Xlsx, SheetFormat::Csv}) {
        for (const char *where : {"missing folder", "folder", "read-only file"})
            QTest::addRow("%s %s", qPrintable(SheetFormats::suffix(f)), where) << f << QString::fromLatin1(where);
    }
}

void TestSpreadsheet::writeFailure()
{
    QFETCH(SheetFormat, format);
    QFETCH(QString, where);
    if (where == QLatin1String("read-only file") && geteuid() == 0)
        QSKIP("root writes into read-only files");
    QString path = m_dir.filePath(QStringLiteral("no/such/folder/x") + SheetFormats::suffix(format));
    if (where == QLatin1String("folder")) {
        path = m_dir.filePath(QStringLiteral("a folder") + SheetFormats::suffix(format));
        QDir().mkpath(path);
    } else if (where == QLatin1String("read-only file")) {
        path = m_dir.filePath(QStringLiteral("readonly") + SheetFormats::suffix(format));
        writeBytes(path, "old");
        QFile::setPermissions(path, QFile::ReadOwner);
    }
    try {
        writeGrid(format, path, Grid{{"a"}});
        QFAIL("no error");
    } catch (const WriteError &e) {
        QCOMPARE(e.text(), QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(path)));
    }
    if (where == QLatin1String("read-only file"))
        QCOMPARE(readBytes(path), QByteArray("old"));
}

void TestSpreadsheet::unsavedWriterLeavesNoFile_data()
{
    roundTrip_data();
}

void TestSpreadsheet::unsavedWriterLeavesNoFile()
{
    // An export that fails half-way must not leave a file that looks complete, nor spoil the
    // file it was to replace.
    QFETCH(SheetFormat, format);
    const QString fresh = m_dir.filePath(QStringLiteral("unsaved") + SheetFormats::suffix(format));
    const QString existing = m_dir.filePath(QStringLiteral("existing") + SheetFormats::suffix(format));
    writeBytes(existing, "previous export");
    for (const QString &path : {fresh, existing}) {
        const std::unique_ptr<SheetWriter> writer = SheetWriter::create(format, path);
        for (int r = 1; r <= 300; ++r)
            writer->writeCell(r, 1, QStringLiteral("row %1").arg(r));
    }
    QVERIFY(!QFile::exists(fresh));
    QCOMPARE(readBytes(existing), QByteArray("previous export"));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("unsaved")), QStringList());
}

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
