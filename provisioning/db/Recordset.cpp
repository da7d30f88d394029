#include "Recordset.h"

#include "AccessFailures.h"

namespace brevane::db {

namespace {
const QString source = QStringLiteral("Recordset");
}

Recordset::Recordset(QStringList columns, QList<QStringList> rows)
    : m_columns(std::move(columns))
    , m_rows(std::move(rows))
{ }

void Recordset::MoveFirst()
{
    if (m_rows.isEmpty())
        throw AccessFailure::make(FailureNumber::NoCurrentRecord, source);
    m_position = 0;
}

void Recordset::MoveNext()
{
    if (atEnd())
        throw AccessFailure::make(FailureNumber::NoCurrentRecord, source);
    ++m_position;
}

bool Recordset::atBeginning() const
{
    return m_rows.isEmpty() || m_position < 0;
}

bool Recordset::atEnd() const
{
    return m_rows.isEmpty() || m_position >= m_rows.size();
}

void Recordset::checkIndex(int index) const
{
    if (index < 0 || index >= m_columns.size())
        throw AccessFailure::make(AccessFailure::ItemNotFound, source);
}

QString Recordset::columnName(int index) const
{
    checkIndex(index);
    return m_columns.at(index);
}

int Recordset::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString Recordset::Fields(int index) const
{
    checkIndex(index);
    if (atBeginning() || atEnd())
        throw AccessFailure::make(FailureNumber::NoCurrentRecord, source);
    const QStringList &row = m_rows.at(m_position);
    return index < row.size() ? row.at(index) : QString();
}

} // namespace brevane::db
