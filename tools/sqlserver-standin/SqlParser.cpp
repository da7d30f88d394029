#include "SqlParser.h"

#include "CodePage.h"
#include "ParameterBinding.h"
#include "SetParser.h"
#include "SqlLexer.h"
#include "StatementKeywords.h"

namespace standin {

namespace {

// Thrown inside the parser to unwind to the batch level with the error SQL Server reports.
struct SyntaxError
{
    ServerMessage message;
};

// RESTORE options that carry no meaning for a restore from one disk file.
bool isHarmlessRestoreOption(const QString &word)
{
    static const QStringList options { QStringLiteral("RECOVERY"), QStringLiteral("NOUNLOAD"),
        QStringLiteral("UNLOAD"), QStringLiteral("REWIND"), QStringLiteral("NOREWIND"),
        QStringLiteral("STOP_ON_ERROR"), QStringLiteral("NO_CHECKSUM") };
    return options.contains(word.toUpper());
}

bool isKnownRestoreOption(const QString &word)
{
    static const QStringList options {
        QStringLiteral("REPLACE"),
        QStringLiteral("NORECOVERY"),
        QStringLiteral("STANDBY"),
        QStringLiteral("FILE"),
        QStringLiteral("PASSWORD"),
        QStringLiteral("MEDIANAME"),
        QStringLiteral("MEDIAPASSWORD"),
        QStringLiteral("BLOCKSIZE"),
        QStringLiteral("BUFFERCOUNT"),
        QStringLiteral("MAXTRANSFERSIZE"),
        QStringLiteral("CHECKSUM"),
        QStringLiteral("CONTINUE_AFTER_ERROR"),
        QStringLiteral("RESTRICTED_USER"),
        QStringLiteral("PARTIAL"),
        QStringLiteral("KEEP_REPLICATION"),
        QStringLiteral("KEEP_CDC"),
        QStringLiteral("ENABLE_BROKER"),
        QStringLiteral("ERROR_BROKER_CONVERSATIONS"),
        QStringLiteral("NEW_BROKER"),
        QStringLiteral("STOPAT"),
        QStringLiteral("STOPATMARK"),
        QStringLiteral("STOPBEFOREMARK"),
        QStringLiteral("CREDENTIAL"),
        QStringLiteral("FILESTREAM"),
        QStringLiteral("DBNAME"),
    };
    return options.contains(word.toUpper());
}

// RESTORE variants SQL Server has that the stand-in does not carry out.
bool isUnsupportedRestoreKind(const SqlToken &token)
{
    return token.isKeyword(u"LABELONLY") || token.isKeyword(u"VERIFYONLY") || token.isKeyword(u"LOG")
        || token.isKeyword(u"REWINDONLY") || token.isKeyword(u"FILESTREAMONLY");
}

// How deeply parentheses, NOT and IF may nest: beyond it the batch is refused (191) rather than
// the parser's recursion running out of stack.
constexpr int MaxNesting = 256;

class Parser
{
    // Counts one level of nesting for as long as it lives.
    class NestingLevel
    {
    public:
        NestingLevel(Parser &parser, const SqlToken &where)
            : m_parser(parser)
        {
            if (++m_parser.m_depth > MaxNesting) {
                ServerMessage message = serverMessage(Msg::NestedTooDeeply);
                message.line = where.line;
                throw SyntaxError { message };
            }
        }
        ~NestingLevel() { --m_parser.m_depth; }
        NestingLevel(const NestingLevel &) = delete;
        NestingLevel &operator=(const NestingLevel &) = delete;

    private:
        Parser &m_parser;
    };

public:
    explicit Parser(QList<SqlToken> tokens, std::optional<QString> unclosedText, int unclosedLine)
        : m_tokens(std::move(tokens))
        , m_unclosedText(std::move(unclosedText))
        , m_unclosedLine(unclosedLine)
    { }

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
    const SqlToken &peek(qsizetype ahead = 0) const
    {
        const qsizetype index = qMin(m_pos + ahead, m_tokens.size() - 1);
        return m_tokens.at(index);
    }

    const SqlToken &next()
    {
        const SqlToken &token = peek();
        if (m_pos < m_tokens.size() - 1)
            ++m_pos;
        return token;
    }

    [[noreturn]] void failAt(const SqlToken &where) const
    {
        if (where.kind == SqlToken::Kind::End && m_unclosedText) {
            // The batch was cut short by an unclosed string: SQL Server points at that string.
            ServerMessage message = serverMessage(Msg::IncorrectSyntax, { *m_unclosedText });
            message.line = m_unclosedLine;
            throw SyntaxError { message };
        }
        // At the end of the batch SQL Server names the last token it read.
        const SqlToken &token = where.kind == SqlToken::Kind::End && m_tokens.size() >= 2
            ? m_tokens.at(m_tokens.size() - 2)
            : where;
        ServerMessage message;
        if (token.kind == SqlToken::Kind::Identifier && isReservedKeyword(token.value))
            message = serverMessage(Msg::IncorrectSyntaxNearKeyword, { token.text });
        else
            message = serverMessage(Msg::IncorrectSyntax, { token.value });
        message.line = token.line;
        throw SyntaxError { message };
    }

    void expectKeyword(QStringView keyword)
    {
        if (!peek().isKeyword(keyword))
            failAt(peek());
        next();
    }

    void expectSymbol(QStringView symbol)
    {
        if (!peek().isSymbol(symbol))
            failAt(peek());
        next();
    }

    void rejectVariable(const SqlToken &token) const
    {
        ServerMessage message = serverMessage(Msg::MustDeclareVariable, { token.text });
        message.line = token.line;
        throw SyntaxError { message };
    }

    // A name that may stand where SQL Server expects an identifier.
    bool isNameToken(const SqlToken &token) const
    {
        if (token.kind == SqlToken::Kind::QuotedIdentifier)
            return true;
        return token.kind == SqlToken::Kind::Identifier && !isReservedKeyword(token.value);
    }

    QString parseName()
    {
        const SqlToken &token = peek();
        if (token.kind == SqlToken::Kind::Variable)
            rejectVariable(token);
        if (!isNameToken(token) && !(token.bound && token.kind == SqlToken::Kind::String))
            failAt(token);
        next();
        return token.value;
    }

    ObjectName parseObjectName()
    {
        ObjectName name;
        name.parts << parseName();
        while (peek().isSymbol(u".") && name.parts.size() < 4) {
            next();
            if (peek().isSymbol(u".")) {
                name.parts << QString(); // master..sysdatabases
                continue;
            }
            name.parts << parseName();
        }
        name.written = name.parts.join(QLatin1Char('.'));
        return name;
    }

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
            statement.body = parseRestore();
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

    SqlValue parseLiteral()
    {
        const SqlToken &token = peek();
        SqlValue value;
        if (token.kind == SqlToken::Kind::String) {
            value.kind = SqlValue::Kind::String;
            value.text = token.value;
        } else if (token.kind == SqlToken::Kind::Number) {
            value.kind = SqlValue::Kind::Number;
            value.text = token.value;
        } else if (token.isSymbol(u"-") && peek(1).kind == SqlToken::Kind::Number) {
            next();
            value.kind = SqlValue::Kind::Number;
            value.text = QLatin1Char('-') + peek().value;
        } else if (token.isKeyword(u"NULL")) {
            value.kind = SqlValue::Kind::Null;
        } else if (token.kind == SqlToken::Kind::Variable) {
            rejectVariable(token);
        } else {
            failAt(token);
        }
        next();
        return value;
    }

    bool startsLiteral(const SqlToken &token) const
    {
        return token.kind == SqlToken::Kind::String || token.kind == SqlToken::Kind::Number
            || token.isKeyword(u"NULL") || token.kind == SqlToken::Kind::Variable
            || (token.isSymbol(u"-") && peek(1).kind == SqlToken::Kind::Number);
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
        }
        if (peek().isKeyword(u"WHERE")) {
            next();
            select.where = parseOr();
        }
        return select;
    }

    std::shared_ptr<Condition> parseOr()
    {
        auto first = parseAnd();
        if (!peek().isKeyword(u"OR"))
            return first;
        auto node = std::make_shared<Condition>();
        node->kind = Condition::Kind::Or;
        node->children << first;
        while (peek().isKeyword(u"OR")) {
            next();
            node->children << parseAnd();
        }
        return node;
    }

    std::shared_ptr<Condition> parseAnd()
    {
        auto first = parseNot();
        if (!peek().isKeyword(u"AND"))
            return first;
        auto node = std::make_shared<Condition>();
        node->kind = Condition::Kind::And;
        node->children << first;
        while (peek().isKeyword(u"AND")) {
            next();
            node->children << parseNot();
        }
        return node;
    }

    std::shared_ptr<Condition> parseNot()
    {
        if (peek().isKeyword(u"NOT")) {
            const SqlToken &keyword = next();
            const NestingLevel level(*this, keyword);
            auto node = std::make_shared<Condition>();
            node->kind = Condition::Kind::Not;
            node->children << parseNot();
            return node;
        }
        if (peek().isSymbol(u"(")) {
            const SqlToken &parenthesis = next();
            const NestingLevel level(*this, parenthesis);
            auto inner = parseOr();
            expectSymbol(u")");
            return inner;
        }
        return parsePredicate();
    }

    Operand parseOperand()
    {
        Operand operand;
        if (startsLiteral(peek())) {
            operand.kind = Operand::Kind::Literal;
            operand.literal = parseLiteral();
        } else {
            operand.kind = Operand::Kind::Column;
            operand.column = parseObjectName().name();
        }
        return operand;
    }

    std::shared_ptr<Condition> parsePredicate()
    {
        auto node = std::make_shared<Condition>();
        node->left = parseOperand();
        if (peek().isKeyword(u"IS")) {
            next();
            node->kind = Condition::Kind::IsNull;
            if (peek().isKeyword(u"NOT")) {
                next();
                node->negated = true;
            }
            expectKeyword(u"NULL");
            return node;
        }
        static const QStringList operators { QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("!="),
            QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">="),
            QStringLiteral("!<"), QStringLiteral("!>") };
        const SqlToken &op = peek();
        if (op.kind != SqlToken::Kind::Symbol || !operators.contains(op.value))
            failAt(op);
        next();
        node->kind = Condition::Kind::Compare;
        node->op = op.value;
        node->right = parseOperand();
        return node;
    }

    IfStatement parseIf()
    {
        const NestingLevel level(*this, peek());
        expectKeyword(u"IF");
        IfStatement statement;
        if (peek().isKeyword(u"NOT")) {
            next();
            statement.notExists = true;
        }
        expectKeyword(u"EXISTS");
        expectSymbol(u"(");
        statement.query = parseSelect();
        expectSymbol(u")");
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

    QString parseStringOrFail()
    {
        const SqlToken &token = peek();
        if (token.kind == SqlToken::Kind::Variable)
            rejectVariable(token);
        if (token.kind != SqlToken::Kind::String)
            failAt(token);
        next();
        return token.value;
    }

    RestoreStatement parseRestore()
    {
        expectKeyword(u"RESTORE");
        RestoreStatement restore;
        const SqlToken &kind = peek();
        if (kind.isKeyword(u"DATABASE")) {
            next();
            restore.kind = RestoreStatement::Kind::Database;
            restore.database = parseName();
        } else if (kind.isKeyword(u"FILELISTONLY")) {
            next();
            restore.kind = RestoreStatement::Kind::FileListOnly;
        } else if (kind.isKeyword(u"HEADERONLY")) {
            next();
            restore.kind = RestoreStatement::Kind::HeaderOnly;
        } else {
            failAt(kind);
        }

        expectKeyword(u"FROM");
        do {
            BackupSource source;
            const SqlToken &token = peek();
            if (token.kind == SqlToken::Kind::Identifier
                && (token.isKeyword(u"DISK") || token.isKeyword(u"TAPE") || token.isKeyword(u"URL"))) {
                next();
                expectSymbol(u"=");
                source.kind = token.isKeyword(u"DISK") ? BackupSource::Kind::Disk : BackupSource::Kind::Other;
                source.keyword = token.value.toUpper();
                source.value = parseStringOrFail();
            } else {
                source.kind = BackupSource::Kind::Device;
                source.value = parseName();
            }
            restore.sources << source;
            if (!peek().isSymbol(u","))
                break;
            next();
        } while (true);

        if (peek().isKeyword(u"WITH")) {
            next();
            do {
                const SqlToken &option = peek();
                if (option.kind != SqlToken::Kind::Identifier)
                    failAt(option);
                next();
                if (option.isKeyword(u"MOVE")) {
                    RestoreMove move;
                    move.logicalName = parseStringOrFail();
                    expectKeyword(u"TO");
                    move.physicalName = parseStringOrFail();
                    restore.moves << move;
                } else if (option.isKeyword(u"STATS")) {
                    restore.stats = 10;
                    if (peek().isSymbol(u"=")) {
                        next();
                        const SqlToken &percentage = peek();
                        if (percentage.kind == SqlToken::Kind::Variable)
                            rejectVariable(percentage);
                        bool ok = false;
                        const int value = percentage.value.toInt(&ok);
                        if (percentage.kind != SqlToken::Kind::Number || !ok)
                            failAt(percentage);
                        next();
                        restore.stats = qBound(1, value, 100);
                    }
                } else if (isHarmlessRestoreOption(option.value)) {
                    // Nothing to do for a restore from one disk file.
                } else if (isKnownRestoreOption(option.value)) {
                    restore.unsupportedOptions << option.value.toUpper();
                    if (peek().isSymbol(u"=")) {
                        next();
                        if (peek().kind == SqlToken::Kind::End)
                            failAt(peek());
                        next();
                    }
                } else {
                    ServerMessage message
                        = serverMessage(Msg::UnrecognisedOption, { option.value, QStringLiteral("RESTORE") });
                    message.line = option.line;
                    throw SyntaxError { message };
                }
                if (!peek().isSymbol(u","))
                    break;
                next();
            } while (true);
        }
        return restore;
    }

    QList<SqlToken> m_tokens;
    std::optional<QString> m_unclosedText;
    int m_unclosedLine = 0;
    qsizetype m_pos = 0;
    int m_depth = 0;
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
