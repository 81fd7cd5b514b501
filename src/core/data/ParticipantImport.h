#pragma once

#include "core/data/ParticipantStore.h"

#include <QList>

class SheetData;

/// What the import of participants makes of a spreadsheet.
namespace ParticipantImport {

/// The participants of the sheet: columns B, C and D (phone number, name, comment) of sheet
/// rows 2 up to the last row with a non-blank cell in those columns, texts exactly as read
/// (blanks kept). Row 1 is the header; column A (serials of an export) and columns past D
/// are ignored.
QList<Participant> rowsOf(const SheetData &sheet);

/// How many distinct phone numbers occur on more than one row (blank numbers not counted).
int duplicatedNumbers(const QList<Participant> &rows);

} // namespace ParticipantImport
