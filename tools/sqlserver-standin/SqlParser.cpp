#include "SqlParser.h"

#include "AlterDatabase.h"
#include "CodePage.h"
#include "DropDatabase.h"
#include "ParameterBinding.h"
#include "RaiseError.h"
#include "RestoreParser.h"
#include "SetParser.h"
#include "SqlConditionParser.h"
#include "SqlCursor.h"
#include "StatementKeywords.h"

namespace standin {

namespace {

class Parser : public SqlCursor
{
public:
    using SqlCursor::SqlCursor;

    QList<Statement> parseBatch()
    {
        QList<Statement> statements;
        while (true) {
            while (peek().isSymbol(u";"))
                next();
            if (peek().kind == SqlToken::Kind::End)
                break;
            statements << parseStatement(statements.isEmpty());
        }
        return statements;
    }

private:
    Statement parseStatement(bool firstInBatch)
    {
        const SqlToken &token = peek();
        Statement statement;
        statement.line = token.line;
        if (token.isKeyword(u"SELECT")) {
            parseSelectOrRefuse(statement);
        } else if (token.isKeyword(u"SET")) {
            parseSet(statement);
        } else if (token.isKeyword(u"IF")) {
            statement.body = parseIf();
        } else if (token.isKeyword(u"EXEC") || token.isKeyword(u"EXECUTE")) {
            next();
            statement.body = parseExecBody();
        } else if (token.isKeyword(u"RESTORE") && isUnsupportedRestoreKind(peek(1))) {
            statement.body = consumeUnsupported(QStringLiteral("RESTORE ") + peek(1).value.toUpper());
        } else if (token.isKeyword(u"RESTORE")) {
            statement.body = parseRestore(*this);
        } else if (token.isKeyword(u"RAISERROR")) {
            statement.body = parseRaiseError(*this);
        } else if (token.isKeyword(u"DROP") && peek(1).isKeyword(u"DATABASE")) {
            statement.body = parseDropDatabase(*this);
        } else if (token.isKeyword(u"ALTER") && peek(1).isKeyword(u"DATABASE")) {
            statement = parseAlterDatabase(*this);
        } else if (isUnsupportedStatementKeyword(token)) {
            statement.body = consumeUnsupported(token.value.toUpper());
        } else if (firstInBatch && token.kind == SqlToken::Kind::Identifier
            && !isReservedKeyword(token.value)) {
            // The first statement of a batch may call a procedure without EXEC.
            statement.body = parseExecBody();
        } else {
            failAt(token);
        }
        return statement;
    }

    UnsupportedStatement consumeUnsupported(const QString &description, const QString &near = {})
    {
        // The stand-in cannot tell where such a statement ends, so it takes the rest of the batch.
        while (peek().kind != SqlToken::Kind::End)
            next();
        return UnsupportedStatement { description, near };
    }

    // A SELECT the stand-in cannot read may still be one a server runs (SELECT 1/0, ORDER BY, ...):
    // unless it is cut short or its parentheses do not pair, it is refused as not run, not as bad syntax.
    void parseSelectOrRefuse(Statement &statement)
    {
        const qsizetype start = m_pos;
        try {
            statement.body = parseSelect();
            if (endsStatement(peek()))
                return;
            if (!continuesSelect(peek()))
                failAt(peek());
        } catch (const SyntaxError &error) {
            const int number = error.message.number;
            if ((number != Msg::IncorrectSyntax && number != Msg::IncorrectSyntaxNearKeyword)
                || !continuesSelect(peek()) || !parenthesesPair(m_tokens, start))
                throw;
        }
        statement.body = consumeUnsupported(QStringLiteral("SELECT"), peek().text);
    }

    void parseSet(Statement &statement)
    {
        const SetParse parsed = parseSetStatement(m_tokens, m_pos);
        if (const auto *error = std::get_if<SetSyntaxError>(&parsed))
            failAt(m_tokens.at(error->at));
        if (const auto *message = std::get_if<ServerMessage>(&parsed))
            throw SyntaxError { *message };
        if (const auto *unsupported = std::get_if<UnsupportedStatement>(&parsed))
            statement.body = consumeUnsupported(unsupported->description);
        else
            statement.body = std::get<SetStatement>(parsed);
    }

    // SERVERPROPERTY('name'), @@VERSION and the like, or a CAST or CONVERT of one of them.
    bool startsServerValue(const SqlToken &token) const
    {
        if (token.kind == SqlToken::Kind::Variable)
            return token.value.startsWith(u"@@");
        return (token.isKeyword(u"SERVERPROPERTY") || token.isKeyword(u"CAST") || token.isKeyword(u"CONVERT"))
            && peek(1).isSymbol(u"(");
    }

    void parseServerValue(SelectItem &item)
    {
        const SqlToken &token = next();
        if (token.kind == SqlToken::Kind::Variable) {
            item.kind = SelectItem::Kind::SystemVariable;
            item.column = token.value.toUpper();
            return;
        }
        expectSymbol(u"(");
        if (token.isKeyword(u"SERVERPROPERTY")) {
            item.kind = SelectItem::Kind::ServerProperty;
            item.literal.kind = SqlValue::Kind::String;
            item.literal.text = parseStringOrFail();
        } else if (token.isKeyword(u"CAST")) {
            parseInnerServerValue(item);
            expectKeyword(u"AS");
            item.cast = parseCastTarget();
        } else {
            item.cast = parseCastTarget();
            expectSymbol(u",");
            parseInnerServerValue(item);
            if (peek().isSymbol(u",")) {
                next();
                parseLiteral(); // the style: no meaning for text
            }
        }
        expectSymbol(u")");
    }

    void parseInnerServerValue(SelectItem &item)
    {
        const SqlToken &token = peek();
        if (!startsServerValue(token) || token.isKeyword(u"CAST") || token.isKeyword(u"CONVERT"))
            failAt(token);
        parseServerValue(item);
    }

    CastTarget parseCastTarget()
    {
        CastTarget target;
        target.type = parseName().toLower();
        if (peek().isSymbol(u"(")) {
            next();
            if (peek().isKeyword(u"MAX")) {
                target.length = -1;
            } else if (peek().kind == SqlToken::Kind::Number) {
                target.length = qBound(1, peek().value.toInt(), 4000);
            } else {
                failAt(peek());
            }
            next();
            expectSymbol(u")");
        } else if (target.type == u"nvarchar" || target.type == u"varchar" || target.type == u"nchar"
            || target.type == u"char") {
            target.length = 30; // the length CAST and CONVERT give when none is written
        }
        return target;
    }

    SelectStatement parseSelect()
    {
        expectKeyword(u"SELECT");
        SelectStatement select;
        do {
            SelectItem item;
            const SqlToken &token = peek();
            if (token.isSymbol(u"*")) {
                next();
                item.kind = SelectItem::Kind::Star;
            } else if (startsServerValue(token)) {
                parseServerValue(item);
            } else if (startsLiteral(token)) {
                item.kind = SelectItem::Kind::Literal;
                item.literal = parseLiteral();
            } else {
                item.kind = SelectItem::Kind::Column;
                item.column = parseObjectName().name();
            }
            if (item.kind != SelectItem::Kind::Star) {
                if (peek().isKeyword(u"AS")) {
                    next();
                    item.alias = parseName();
                } else if (isNameToken(peek()) && !peek().isKeyword(u"FROM")) {
                    item.alias = parseName();
                }
            }
            select.items << item;
            if (!peek().isSymbol(u","))
                break;
            next();
        } while (true);

        if (peek().isKeyword(u"FROM")) {
            next();
            select.hasFrom = true;
            select.from = parseObjectName();
            select.fromAlias = parseTableAlias();
            if (peek().isKeyword(u"CROSS") && peek(1).isKeyword(u"APPLY")) {
                next();
                next();
                select.apply = parseAppliedFunction();
            }
        }
        if (peek().isKeyword(u"WHERE")) {
            next();
            select.where = SqlConditionParser(*this).parseCondition();
        }
        return select;
    }

    QString parseTableAlias()
    {
        if (peek().isKeyword(u"AS")) {
            next();
            return parseName();
        }
        return isNameToken(peek()) && !peek().isKeyword(u"APPLY") ? parseName() : QString();
    }

    AppliedFunction parseAppliedFunction()
    {
        AppliedFunction apply;
        apply.function = parseObjectName();
        expectSymbol(u"(");
        SqlConditionParser operands(*this);
        while (!peek().isSymbol(u")")) {
            apply.arguments << operands.parseOperand();
            if (!peek().isSymbol(u","))
                break;
            next();
        }
        expectSymbol(u")");
        apply.alias = parseTableAlias();
        return apply;
    }

    IfStatement parseIf()
    {
        const NestingLevel level(*this, peek());
        expectKeyword(u"IF");
        IfStatement statement;
        const bool exists
            = peek().isKeyword(u"EXISTS") || (peek().isKeyword(u"NOT") && peek(1).isKeyword(u"EXISTS"));
        if (!exists) {
            statement.condition = SqlConditionParser(*this).parseCondition();
        } else {
            if (peek().isKeyword(u"NOT")) {
                next();
                statement.notExists = true;
            }
            expectKeyword(u"EXISTS");
            expectSymbol(u"(");
            statement.query = parseSelect();
            expectSymbol(u")");
        }
        if (peek().kind == SqlToken::Kind::End)
            failAt(peek());
        statement.thenBranch = std::make_shared<Statement>(parseStatement(false));
        while (peek().isSymbol(u";") && peek(1).isKeyword(u"ELSE"))
            next();
        if (peek().isKeyword(u"ELSE")) {
            next();
            statement.elseBranch = std::make_shared<Statement>(parseStatement(false));
        }
        return statement;
    }

    ExecStatement parseExecBody()
    {
        ExecStatement exec;
        if (peek().kind == SqlToken::Kind::Variable)
            rejectVariable(peek());
        exec.procedure = parseObjectName();
        if (!startsArgument(peek()))
            return exec;
        while (true) {
            ExecArgument argument;
            if (peek().kind == SqlToken::Kind::Variable && peek(1).isSymbol(u"=")) {
                argument.parameter = next().value;
                next();
            }
            const SqlToken &token = peek();
            if (token.isKeyword(u"DEFAULT")) {
                next();
                argument.value.kind = SqlValue::Kind::Default;
            } else if (token.kind == SqlToken::Kind::Identifier && !isReservedKeyword(token.value)) {
                // A bare word passed to a procedure is taken as a string.
                next();
                argument.value.kind = SqlValue::Kind::Word;
                argument.value.text = token.value;
            } else if (token.kind == SqlToken::Kind::QuotedIdentifier) {
                next();
                argument.value.kind = SqlValue::Kind::Word;
                argument.value.text = token.value;
            } else {
                argument.value = parseLiteral();
            }
            if (peek().isKeyword(u"OUTPUT") || peek().isKeyword(u"OUT"))
                next();
            exec.arguments << argument;
            if (!peek().isSymbol(u","))
                break;
            next();
        }
        return exec;
    }

    bool startsArgument(const SqlToken &token) const
    {
        if (startsLiteral(token) || token.isKeyword(u"DEFAULT")
            || token.kind == SqlToken::Kind::QuotedIdentifier)
            return true;
        return token.kind == SqlToken::Kind::Identifier && !isReservedKeyword(token.value)
            && !isUnsupportedStatementKeyword(token);
    }
};

} // namespace

ParsedBatch parseSqlBatch(const QString &batch, int codePage, const BoundParameters &parameters)
{
    ParsedBatch parsed;
    SqlLexResult lexed = tokenizeSql(batch);
    if (codePage > 0) {
        // A literal without N is varchar: its text goes through the server's code page.
        for (SqlToken &token : lexed.tokens) {
            if (token.kind == SqlToken::Kind::String && !token.national)
                token.value = throughCodePage(token.value, codePage);
        }
    }
    bindParameters(lexed.tokens, parameters);
    parsed.errors = lexed.errors;
    if (!lexed.errors.isEmpty() && !lexed.unclosedText)
        return parsed;
    // After an unclosed string the tokens before it are still parsed, for the syntax error they hold.
    Parser parser(lexed.tokens, lexed.unclosedText, lexed.unclosedLine);
    try {
        parsed.statements = parser.parseBatch();
        if (lexed.unclosedText) {
            ServerMessage syntax = serverMessage(Msg::IncorrectSyntax, { *lexed.unclosedText });
            syntax.line = lexed.unclosedLine;
            parsed.errors << syntax;
        }
    } catch (const SyntaxError &error) {
        parsed.errors << error.message;
    }
    if (!parsed.errors.isEmpty())
        parsed.statements.clear();
    return parsed;
}

} // namespace standin
