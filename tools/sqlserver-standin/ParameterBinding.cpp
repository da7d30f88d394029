#include "ParameterBinding.h"

namespace standin {

namespace {

// In EXEC p @name = value, @name names the procedure's parameter: it is not a value to bind.
bool namesProcedureParameter(const QList<SqlToken> &tokens, qsizetype i)
{
    if (i == 0 || i + 1 >= tokens.size() || !tokens.at(i + 1).isSymbol(u"="))
        return false;
    const SqlToken &before = tokens.at(i - 1);
    return before.isSymbol(u",") || (before.isName() && !isReservedKeyword(before.value));
}

} // namespace

void bindParameters(QList<SqlToken> &tokens, const BoundParameters &parameters)
{
    if (parameters.isEmpty())
        return;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        SqlToken &token = tokens[i];
        if (token.kind != SqlToken::Kind::Variable || namesProcedureParameter(tokens, i))
            continue;
        const auto found = parameters.constFind(token.value.toLower());
        if (found == parameters.cend())
            continue;
        const SqlValue &value = *found;
        token.bound = true;
        switch (value.kind) {
        case SqlValue::Kind::String:
            token.kind = SqlToken::Kind::String;
            token.national = true;
            token.value = value.text;
            break;
        case SqlValue::Kind::Number:
            token.kind = SqlToken::Kind::Number;
            token.value = value.text;
            break;
        default:
            token.kind = SqlToken::Kind::Identifier;
            token.value = QStringLiteral("NULL");
            break;
        }
    }
}

} // namespace standin
