#pragma once

#include "core/data/ParticipantStore.h"
#include "gui/app/GridPage.h"

class Database;

/// "手机号码输入": the participants (phone number, name, comment), each edit saved at once,
/// with import from and export to spreadsheet files.
class ParticipantsPage final : public GridPage
{
    Q_OBJECT

public:
    explicit ParticipantsPage(Database &db, QWidget *parent = nullptr);

    /// Fills the grid from the participant table; the first row is current.
    void load();
    /// Replaces every participant by the rows of a spreadsheet file the operator picks; the
    /// first row is current afterwards, as after load().
    void importParticipants();
    void exportParticipants();
    /// Deletes every participant ("清除数据", asked by the main window); the grid goes back
    /// to the one empty row of an empty list.
    void clearAll();

protected:
    void addRecord(int serial) override;
    void saveRecord(int serial, const QStringList &texts) override;
    void removeRecord(int serial) override;
    void editFinished(int row, int column) override;

private:
    /// Fills an empty comment of @p row with the comment last typed and saves the row.
    void carryCommentInto(int row);

    ParticipantStore m_store;
    QString m_lastComment;
};
