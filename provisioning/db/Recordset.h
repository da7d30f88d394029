#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace brevane::db {

// The rows a statement returned, all held on the client, with a current-row
// position that moves like the old client-side recordset: BOF before the
// first row, EOF after the last, both at once when there are no rows.
class Recordset
{
public:
    // A recordset without columns or rows: what a batch that returns no result yields.
    Recordset() = default;
    // A null QString in a row stands for a NULL value.
    Recordset(QStringList columns, QList<QStringList> rows);

    int RecordCount() const { return int(m_rows.size()); }
    int FieldCount() const { return int(m_columns.size()); }

    // Fails with 3021 when there are no rows.
    void MoveFirst();
    // Fails with 3021 when already past the last row.
    void MoveNext();
    bool atBeginning() const; // BOF
    bool atEnd() const; // EOF

    // Fails with 3265 for an index outside 0..FieldCount()-1.
    QString columnName(int index) const;
    // The index of the column named name, letter case ignored; -1 when there is none.
    int columnIndex(const QString &name) const;
    // The current row's value as text, a null QString for NULL. Fails with
    // 3265 for a bad index and with 3021 when no row is current.
    QString Fields(int index) const;
    bool isNull(int index) const { return Fields(index).isNull(); }

private:
    void checkIndex(int index) const;

    QStringList m_columns;
    QList<QStringList> m_rows;
    qsizetype m_position = 0; // -1 BOF, size() EOF
};

} // namespace brevane::db
