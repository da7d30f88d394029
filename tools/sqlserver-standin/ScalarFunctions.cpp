#include "ScalarFunctions.h"

namespace standin {

namespace {

SqlValue number(qint64 value)
{
    return SqlValue { SqlValue::Kind::Number, QString::number(value) };
}

// DB_ID([name]) and DB_NAME([id]); without an argument both mean the current database, master.
SqlValue functionValue(const Catalogue &catalogue, const Operand &call)
{
    const bool none = call.arguments.isEmpty();
    if (call.arguments.size() > 1)
        throw StatementError { { serverMessage(
            Msg::FunctionArgumentCount, { call.column.toLower(), QStringLiteral("1") }) } };
    if (call.column == u"DB_ID") {
        if (none)
            return number(1);
        const std::optional<Database> database = call.arguments.first().isNull()
            ? std::nullopt
            : catalogue.findDatabase(call.arguments.first().text);
        return database ? number(database->id) : SqlValue {};
    }
    if (call.column == u"DB_NAME") {
        const qint64 id = none ? 1 : call.arguments.first().text.toLongLong();
        for (const Database &database : catalogue.databases()) {
            if (database.id == id)
                return SqlValue { SqlValue::Kind::String, database.name };
        }
        return SqlValue {};
    }
    throw StatementError { { serverMessage(
        Msg::NotRecognised, { call.column, QStringLiteral("built-in function name") }, 10) } };
}

Operand resolved(const Catalogue &catalogue, const Operand &operand)
{
    if (operand.kind != Operand::Kind::Function)
        return operand;
    Operand literal;
    literal.kind = Operand::Kind::Literal;
    literal.literal = functionValue(catalogue, operand);
    return literal;
}

} // namespace

std::shared_ptr<Condition> withFunctionValues(BatchState &batch, const std::shared_ptr<Condition> &condition)
{
    if (!condition)
        return condition;
    auto copy = std::make_shared<Condition>(*condition);
    copy->left = resolved(batch.catalogue, condition->left);
    copy->right = resolved(batch.catalogue, condition->right);
    for (auto &child : copy->children)
        child = withFunctionValues(batch, child);
    return copy;
}

} // namespace standin
