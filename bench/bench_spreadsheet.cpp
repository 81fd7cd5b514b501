// Times the spreadsheet import and export code on generated participant lists and prints one
// line per figure (median of several runs). Not part of the test run.
//
// Goals on the 2-core development machine: read 100,000 .xlsx rows <= 1.5 s, 60,000 .xls rows
// <= 1 s, each write <= 1 s, and reading at most half the time LibreOffice needs to convert the
// same file to CSV.

#include "core/spreadsheet/SheetReader.h"
#include "core/spreadsheet/SheetWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>
#include <xlsxwriter.h>

namespace {

constexpr int runs = 5;
constexpr int libreOfficeRuns = 3;

struct Participant
{
    QString serial;
    QString phone;
    QString name;
    QString comment;
};

std::vector<Participant> participants(int n)
{
    static const QString surnames = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗");
    static const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂");
    std::vector<Participant> list;
    list.reserve(n);
    for (int i = 1; i <= n; ++i) {
        QString name = surnames[i % surnames.size()];
        name += given[(i / 7) % given.size()];
        if (i % 3)
            name += given[(i / 3) % given.size()];
        list.push_back({QString::number(i), QString::number(13000000000LL + i * 7919LL % 999999999LL), name,
                        QStringLiteral("第%1组 部门%2").arg(i % 50).arg(i % 17)});
    }
    return list;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeMs(const std::function<void()> &work, int times = runs)
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(ms);
}

void writeList(SheetFormat format, const QString &path, const std::vector<Participant> &list)
{
    const std::unique_ptr<SheetWriter> writer = SheetWriter::create(format, path);
    const QStringList header = {QStringLiteral("序号"), QStringLiteral("手机号"), QStringLiteral("姓名"),
                                QStringLiteral("备注")};
    for (int c = 0; c < 4; ++c)
        writer->writeCell(1, c + 1, header[c]);
    int row = 2;
    for (const Participant &p : list) {
        writer->writeCell(row, 1, p.serial);
        writer->writeCell(row, 2, p.phone);
        writer->writeCell(row, 3, p.name);
        writer->writeCell(row, 4, p.comment);
        ++row;
    }
    writer->save();
}

// A workbook as Excel saves one: shared strings, phones and serials as numbers.
void writeExcelLike(const QString &path, const std::vector<Participant> &list)
{
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    const char *header[] = {"序号", "手机号", "姓名", "备注"};
    for (int c = 0; c < 4; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), header[c], nullptr);
    lxw_row_t row = 1;
    for (const Participant &p : list) {
        worksheet_write_number(sheet, row, 0, p.serial.toDouble(), nullptr);
        worksheet_write_number(sheet, row, 1, p.phone.toDouble(), nullptr);
        worksheet_write_string(sheet, row, 2, p.name.toUtf8().constData(), nullptr);
        worksheet_write_string(sheet, row, 3, p.comment.toUtf8().constData(), nullptr);
        ++row;
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        qFatal("cannot write %s", qPrintable(path));
}

void readAll(const QString &path, int expectedRows)
{
    const SheetData sheet = readSheet(path);
    if (sheet.rowCount() != expectedRows || sheet.cell(2, 2).size() != 11)
        qFatal("%s: read %d rows, phone '%s'", qPrintable(path), sheet.rowCount(), qPrintable(sheet.cell(2, 2)));
}

void print(const char *what, double ms, double goalMs = 0)
{
    if (goalMs > 0)
        std::printf("%-52s %8.1f ms  (goal <= %.0f ms)\n", what, ms, goalMs);
    else
        std::printf("%-52s %8.1f ms\n", what, ms);
    std::fflush(stdout);
}

// Median time of LibreOffice headless converting the file to CSV, or a negative value.
double libreOfficeMs(const QString &office, const QString &file, const QString &workDir)
{
    const QString profile = QUrl::fromLocalFile(workDir + QStringLiteral("/lo-profile")).toString();
    const auto convert = [&] {
        QProcess lo;
        lo.start(office, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                          QStringLiteral("--convert-to"), QStringLiteral("csv"), QStringLiteral("--outdir"),
                          workDir + QStringLiteral("/lo-out"), file});
        if (!lo.waitForFinished(300000) || lo.exitCode() != 0)
            qFatal("LibreOffice failed on %s", qPrintable(file));
    };
    convert(); // the first start creates the profile
    return timeMs(convert, libreOfficeRuns);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::vector<Participant> list100k = participants(100000);
    const std::vector<Participant> list60k = participants(60000);
    const QString ourXlsx = dir.filePath(QStringLiteral("ours-100k.xlsx"));
    const QString excelXlsx = dir.filePath(QStringLiteral("excel-like-100k.xlsx"));
    const QString xls = dir.filePath(QStringLiteral("60k.xls"));
    const QString csv = dir.filePath(QStringLiteral("100k.csv"));

    std::printf("Spreadsheet benchmark, median of %d runs\n", runs);
    print("write 100,000 rows .xlsx", timeMs([&] { writeList(SheetFormat::Xlsx, ourXlsx, list100k); }), 1000);
    print("write 60,000 rows .xls", timeMs([&] { writeList(SheetFormat::Xls, xls, list60k); }), 1000);
    print("write 100,000 rows .csv", timeMs([&] { writeList(SheetFormat::Csv, csv, list100k); }), 1000);
    writeExcelLike(excelXlsx, list100k);

    const double readExcelXlsx = timeMs([&] { readAll(excelXlsx, 100001); });
    print("read 100,000 rows .xlsx (shared strings, numbers)", readExcelXlsx, 1500);
    print("read 100,000 rows .xlsx (our export, inline text)", timeMs([&] { readAll(ourXlsx, 100001); }), 1500);
    const double readXls = timeMs([&] { readAll(xls, 60001); });
    print("read 60,000 rows .xls", readXls, 1000);
    print("read 100,000 rows .csv", timeMs([&] { readAll(csv, 100001); }));

    QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        office = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    if (office.isEmpty()) {
        std::printf("LibreOffice not installed\n");
        return 0;
    }
    const double loXlsx = libreOfficeMs(office, excelXlsx, dir.path());
    print("LibreOffice: 100,000 rows .xlsx to CSV", loXlsx);
    std::printf("%-52s %8.2f     (goal <= 0.5)\n", "ratio ours/LibreOffice, .xlsx", readExcelXlsx / loXlsx);
    const double loXls = libreOfficeMs(office, xls, dir.path());
    print("LibreOffice: 60,000 rows .xls to CSV", loXls);
    std::printf("%-52s %8.2f     (goal <= 0.5)\n", "ratio ours/LibreOffice, .xls", readXls / loXls);
    return 0;
}
