#pragma once

#include <QList>
#include <QString>

#include <functional>

class Database;

/// One participant as entered: the mobile phone number, the name and a comment.
struct Participant
{
    QString phone;
    QString name;
    QString comment;
};

/// The participant table (Tab_CJ). Participants are a list: the k-th (counting from 1) has
/// the serial k, and every operation here keeps the serials running 1..n. Texts are stored
/// without the blanks and control characters around them. A participant's drawn mark is the
/// draw's business (DrawStore).
class ParticipantStore final
{
public:
    explicit ParticipantStore(Database &db);

    /// Every participant in list order, texts as stored (Null as ""). First closes any gap in
    /// the serials, so that participant k has the serial k.
    QList<Participant> loadAll();
    /// Creates the record of a new participant with the serial, every column but the serial
    /// Null.
    void add(int serial);
    /// Writes the texts, trimmed, to the participant with the serial. A participant without a
    /// record yet (an empty list's first row, a row an import kept without one) gets one with
    /// that serial, so nothing typed is ever dropped.
    void save(int serial, const Participant &participant);
    /// Deletes the participant and moves every one below it up by one serial, in one
    /// transaction: on failure the table is left exactly as it was.
    void remove(int serial);
    /// Deletes every participant ("清除数据").
    void clear();
    /// Replaces every participant with the rows, in one transaction: row n gets the serial n
    /// and the trimmed texts; rows whose phone number is blank are then deleted again (their
    /// serials stay unused). `onRow(n)` is called before row n is written. On failure
    /// everything is rolled back.
    void replaceAll(const QList<Participant> &rows, const std::function<void(int n)> &onRow = {});
    /// Deletes participants without a phone number and closes the gaps they leave.
    void purgeIncomplete();

private:
    Database &m_db;
};
