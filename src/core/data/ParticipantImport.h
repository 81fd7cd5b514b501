#pragma once

#include <QList>
#include <QString>

#include <functional>

class SheetData;

/// Replacing the participant list from a spreadsheet: the whole sheet is read and checked
/// first, then the table is replaced in one transaction, so a failure anywhere leaves the
/// participants as they were.
namespace ParticipantImport {

/// One data row of the sheet: columns B, C and D, exactly as read (blanks kept).
struct Row
{
    QString tel;
    QString name;
    QString comment;
};

/// The data rows of the sheet: sheet rows 2 up to the last row with a non-blank cell in
/// columns B to D. Row 1 is the header; column A (serials of an export) and columns past D
/// are ignored.
QList<Row> rowsOf(const SheetData &sheet);

/// Replaces every participant with the rows, in one transaction: row n gets serial n and the
/// trimmed texts; rows whose phone number is blank are then deleted again (their serials stay
/// unused). `onRow(n)` is called before row n is written. Throws on failure, after rolling
/// everything back.
void replaceParticipants(const QList<Row> &rows, const std::function<void(int n)> &onRow = {});

/// How many distinct phone numbers occur on more than one row (blank numbers not counted).
int duplicatedNumbers(const QList<Row> &rows);

/// Whether the import's progress bar takes a step at data row n of c (n = 1..c): every row
/// below 100 rows, otherwise every (c div 100)-th row.
bool progressStepAt(int n, int c);

} // namespace ParticipantImport
