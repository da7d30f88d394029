#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace standin {

// Column types the stand-in returns, with their TDS encodings in TokenWriter.
// Variant is sql_variant: text values travel with the base type nvarchar, integers as int.
enum class SqlType {
    NVarChar,
    Char,
    TinyIntN,
    SmallIntN,
    IntN,
    BigIntN,
    NumericN,
    UniqueIdentifier,
    Bit,
    VarBinary,
    DateTimeN,
    Variant
};

struct ResultColumn
{
    QString name;
    SqlType type = SqlType::NVarChar;
    int length = 0; // characters for NVarChar/Char, bytes for VarBinary
    int precision = 0; // NumericN
    bool nullable = false;
};

// Values: QString (text), qint64 (integers and numeric(p,0)), bool (bit), QUuid, QByteArray,
// QDateTime; a null QVariant is SQL NULL.
using ResultRow = QList<QVariant>;

} // namespace standin
