#pragma once

#include "core/data/ParticipantStore.h"

#include <QList>

class GridModel;
class QWidget;

/// Moving grids to and from spreadsheet files, with the progress window.
namespace SheetTransfer {

/// Asks for a spreadsheet file (the dialog starts in the folder of the last spreadsheet chosen
/// for an import or export) and replaces every participant with its rows (columns B to
/// D from row 2 on), in one transaction. Returns the rows as read (blanks kept) for the grid,
/// or nothing when the operator cancelled. A file without participants or one that cannot be
/// read is refused with a message naming it, and the participants stay as they were. The
/// progress window shows while the file is read (on a thread of its own, the window painting
/// meanwhile) and then steps while the rows are written.
std::optional<QList<Participant>> importParticipants(QWidget *parent, ParticipantStore &store);

/// Asks for a file name (starting in that same folder) and writes the whole grid, header row
/// and serial column included, to the first worksheet of a new spreadsheet file. The format
/// follows the typed extension, otherwise the chosen filter.
void exportGrid(QWidget *parent, const GridModel &grid);

} // namespace SheetTransfer
