#include "SelectRunner.h"

#include "ScalarFunctions.h"
#include "ServerProperties.h"
#include "SystemViews.h"

namespace standin {

namespace {

ResultColumn nvarcharColumn(const QString &name, int length, bool nullable = false)
{
    return ResultColumn { name, SqlType::NVarChar, length, 0, nullable };
}

ResultColumn smallintColumn(const QString &name)
{
    return ResultColumn { name, SqlType::SmallIntN, 0, 0, false };
}

class SelectEvaluation : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    Table resolveTable(const ObjectName &object) const
    {
        if (std::optional<Table> view = systemView(m_batch, object))
            return *view;
        const QString name = object.name();
        const bool qualifiersOk = qualifiersReachSystemObject(object);

        Table table;
        if (qualifiersOk && name.compare(u"sysdatabases", Qt::CaseInsensitive) == 0) {
            table.columns << nvarcharColumn(QStringLiteral("name"), 128)
                          << smallintColumn(QStringLiteral("dbid"))
                          << nvarcharColumn(QStringLiteral("filename"), 260, true);
            for (const Database &database : m_catalogue.databases()) {
                const QVariant file
                    = database.files.isEmpty() ? QVariant() : QVariant(database.files.first().physicalName);
                table.rows << ResultRow { database.name, qint64(database.id), file };
            }
            return table;
        }
        if (qualifiersOk && name.compare(u"sysdevices", Qt::CaseInsensitive) == 0) {
            table.columns << nvarcharColumn(QStringLiteral("name"), 128)
                          << smallintColumn(QStringLiteral("status"))
                          << smallintColumn(QStringLiteral("cntrltype"))
                          << nvarcharColumn(QStringLiteral("phyname"), 260);
            for (const BackupDevice &device : m_catalogue.devices()) {
                const bool tape = device.type.compare(u"tape", Qt::CaseInsensitive) == 0;
                table.rows << ResultRow { device.name, qint64(16), qint64(tape ? 5 : 2),
                    device.physicalName };
            }
            return table;
        }
        throw StatementError { { serverMessage(Msg::InvalidObject, { object.written }) } };
    }

    static int columnIndex(const Table &table, const QString &name)
    {
        for (qsizetype i = 0; i < table.columns.size(); ++i) {
            if (table.columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        }
        return -1;
    }

    static void collectColumns(const Condition &condition, QStringList &columns)
    {
        for (const Operand *operand : { &condition.left, &condition.right }) {
            if (operand->kind == Operand::Kind::Column && !operand->column.isEmpty())
                columns << operand->column;
        }
        for (const auto &child : condition.children)
            collectColumns(*child, columns);
    }

    static QVariant literalValue(const SqlValue &value)
    {
        switch (value.kind) {
        case SqlValue::Kind::String:
        case SqlValue::Kind::Word:
            return value.text;
        case SqlValue::Kind::Number: {
            bool ok = false;
            const qint64 number = value.text.toLongLong(&ok);
            return ok ? QVariant(number) : QVariant(value.text.toDouble());
        }
        case SqlValue::Kind::Null:
        case SqlValue::Kind::Default:
            break;
        }
        return QVariant();
    }

    static QVariant operandValue(const Operand &operand, const Table &table, const ResultRow &row)
    {
        if (operand.kind == Operand::Kind::Literal)
            return literalValue(operand.literal);
        return row.at(columnIndex(table, operand.column));
    }

    static bool isNumeric(const QVariant &value)
    {
        return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
    }

    // Three-valued comparison: nullopt is UNKNOWN.
    static std::optional<int> compareValues(
        const QVariant &a, const QVariant &b, const Table &table, const Condition &condition)
    {
        if (a.isNull() || b.isNull())
            return std::nullopt;
        if (isNumeric(a) || isNumeric(b)) {
            const QVariant &text = isNumeric(a) ? b : a;
            double left = a.toDouble();
            double right = b.toDouble();
            if (!isNumeric(text)) {
                bool ok = false;
                const double converted = text.toString().trimmed().toDouble(&ok);
                if (!ok) {
                    const Operand &numericSide = isNumeric(a) ? condition.left : condition.right;
                    QString typeName = QStringLiteral("int");
                    if (numericSide.kind == Operand::Kind::Column
                        && table.columns.at(columnIndex(table, numericSide.column)).type
                            == SqlType::SmallIntN)
                        typeName = QStringLiteral("smallint");
                    throw StatementError { { serverMessage(
                        Msg::ConversionFailed, { QStringLiteral("nvarchar"), text.toString(), typeName }) } };
                }
                (isNumeric(a) ? right : left) = converted;
            }
            return left < right ? -1 : (left > right ? 1 : 0);
        }
        // The default collation: case-insensitive, trailing blanks do not count.
        auto stripped = [](QString text) {
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            return text;
        };
        return stripped(a.toString()).compare(stripped(b.toString()), Qt::CaseInsensitive);
    }

    static std::optional<bool> evaluate(const Condition &condition, const Table &table, const ResultRow &row)
    {
        switch (condition.kind) {
        case Condition::Kind::Or:
        case Condition::Kind::And: {
            // Three-valued: OR is true when one is true, AND false when one is false; else UNKNOWN
            // when one is UNKNOWN.
            const bool decisive = condition.kind == Condition::Kind::Or;
            bool unknown = false;
            for (const auto &child : condition.children) {
                const std::optional<bool> value = evaluate(*child, table, row);
                if (value == decisive)
                    return decisive;
                unknown = unknown || !value;
            }
            if (unknown)
                return std::nullopt;
            return !decisive;
        }
        case Condition::Kind::Not: {
            const auto inner = evaluate(*condition.children.at(0), table, row);
            if (!inner)
                return std::nullopt;
            return !*inner;
        }
        case Condition::Kind::IsNull: {
            const bool isNull = operandValue(condition.left, table, row).isNull();
            return condition.negated ? !isNull : isNull;
        }
        case Condition::Kind::Compare:
            break;
        }
        const auto order = compareValues(operandValue(condition.left, table, row),
            operandValue(condition.right, table, row), table, condition);
        if (!order)
            return std::nullopt;
        const QString &op = condition.op;
        if (op == u"=")
            return *order == 0;
        if (op == u"<>" || op == u"!=")
            return *order != 0;
        if (op == u"<" || op == u"!>")
            return op == u"<" ? *order < 0 : *order <= 0;
        if (op == u">" || op == u"!<")
            return op == u">" ? *order > 0 : *order >= 0;
        if (op == u"<=")
            return *order <= 0;
        return *order >= 0;
    }

    Table evaluateSelect(const SelectStatement &select) const
    {
        Table source;
        if (select.hasFrom)
            source = resolveTable(select.from);
        else
            source.rows << ResultRow {};
        if (select.apply)
            source = applyFunction(m_batch, source, *select.apply);
        const std::shared_ptr<Condition> where = withFunctionValues(m_batch, select.where);

        QStringList referenced;
        for (const SelectItem &item : select.items) {
            if (item.kind == SelectItem::Kind::Column)
                referenced << item.column;
        }
        if (where)
            collectColumns(*where, referenced);
        QList<ServerMessage> invalid;
        for (const QString &column : std::as_const(referenced)) {
            if (columnIndex(source, column) < 0)
                invalid << serverMessage(Msg::InvalidColumn, { column });
        }
        if (!invalid.isEmpty())
            throw StatementError { invalid };

        Table result;
        QList<std::function<QVariant(const ResultRow &)>> extractors;
        for (const SelectItem &item : select.items) {
            if (item.kind == SelectItem::Kind::Star) {
                for (qsizetype i = 0; i < source.columns.size(); ++i) {
                    result.columns << source.columns.at(i);
                    extractors << [i](const ResultRow &row) { return row.at(i); };
                }
            } else if (item.kind == SelectItem::Kind::Column) {
                const int index = columnIndex(source, item.column);
                ResultColumn column = source.columns.at(index);
                if (!item.alias.isEmpty())
                    column.name = item.alias;
                result.columns << column;
                extractors << [index](const ResultRow &row) { return row.at(index); };
            } else if (item.kind == SelectItem::Kind::ServerProperty
                || item.kind == SelectItem::Kind::SystemVariable) {
                QVariant value;
                if (item.kind == SelectItem::Kind::ServerProperty) {
                    value = serverProperty(m_batch.server, item.literal.text);
                } else {
                    const std::optional<QVariant> known = systemVariable(m_batch.server, item.column);
                    if (!known)
                        throw StatementError { { serverMessage(Msg::MustDeclareVariable, { item.column }) } };
                    value = *known;
                }
                const ResultColumn column = serverValueColumn(item, value);
                value = castServerValue(item, value);
                if (column.type == SqlType::IntN || column.type == SqlType::BigIntN) {
                    bool ok = value.isNull();
                    const QString text = value.toString();
                    if (!ok)
                        value = text.toLongLong(&ok);
                    if (!ok)
                        throw StatementError { { serverMessage(
                            Msg::ConversionFailed, { QStringLiteral("nvarchar"), text, item.cast->type }) } };
                }
                result.columns << column;
                extractors << [value](const ResultRow &) { return value; };
            } else {
                const QVariant value = literalValue(item.literal);
                ResultColumn column;
                column.name = item.alias;
                column.nullable = value.isNull();
                if (value.typeId() == QMetaType::LongLong) {
                    column.type = SqlType::IntN;
                } else {
                    column.type = SqlType::NVarChar;
                    column.length = int(qBound(qsizetype(1), value.toString().size(), qsizetype(4000)));
                }
                result.columns << column;
                extractors << [value](const ResultRow &) { return value; };
            }
        }
        for (const ResultRow &row : std::as_const(source.rows)) {
            if (where && evaluate(*where, source, row) != true)
                continue;
            ResultRow out;
            for (const auto &extract : extractors)
                out << extract(row);
            result.rows << out;
        }
        return result;
    }

    bool evaluateCondition(const Condition &condition) const
    {
        const std::shared_ptr<Condition> resolved
            = withFunctionValues(m_batch, std::make_shared<Condition>(condition));
        QStringList columns;
        collectColumns(*resolved, columns);
        if (!columns.isEmpty())
            throw StatementError { { serverMessage(Msg::InvalidColumn, { columns.first() }) } };
        return evaluate(*resolved, Table {}, ResultRow {}) == true;
    }

    void run(const SelectStatement &select)
    {
        const Table table = evaluateSelect(select);
        m_sink.columns(table.columns);
        for (const ResultRow &row : table.rows)
            m_sink.row(row);
        finish(DoneStatus::Count, CurrentCommand::Select, quint64(table.rows.size()));
    }
};

} // namespace

Table evaluateSelect(BatchState &batch, const SelectStatement &select)
{
    return SelectEvaluation(batch).evaluateSelect(select);
}

bool evaluateCondition(BatchState &batch, const Condition &condition)
{
    return SelectEvaluation(batch).evaluateCondition(condition);
}

void runSelect(BatchState &batch, const SelectStatement &select)
{
    SelectEvaluation(batch).run(select);
}

} // namespace standin
