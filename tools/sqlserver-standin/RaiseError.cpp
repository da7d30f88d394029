#include "RaiseError.h"

namespace standin {

namespace {

int parseInteger(SqlCursor &cursor)
{
    const SqlToken &token = cursor.peek();
    const SqlValue value = cursor.parseLiteral();
    bool ok = false;
    const int number = value.text.toInt(&ok);
    if (value.kind != SqlValue::Kind::Number || !ok)
        cursor.failAt(token);
    return number;
}

class RaiseErrorRun : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    void run(const RaiseErrorStatement &raise, int line)
    {
        ServerMessage message;
        message.number = raise.number;
        message.text = formatRaisedText(raise.text, raise.arguments);
        message.level = qBound(0, raise.severity, 18);
        message.state = raise.state < 0 ? 1 : qMin(raise.state, 255);
        message.line = line;
        if (message.isError()) {
            fail({ message }, line);
            return;
        }
        m_sink.message(message);
        finish(DoneStatus::Final);
    }
};

} // namespace

RaiseErrorStatement parseRaiseError(SqlCursor &cursor)
{
    cursor.expectKeyword(u"RAISERROR");
    cursor.expectSymbol(u"(");
    RaiseErrorStatement raise;
    if (cursor.peek().kind == SqlToken::Kind::Number) {
        raise.number = parseInteger(cursor);
        raise.text = serverMessage(raise.number).text;
    } else {
        raise.text = cursor.parseStringOrFail();
    }
    cursor.expectSymbol(u",");
    raise.severity = parseInteger(cursor);
    cursor.expectSymbol(u",");
    raise.state = parseInteger(cursor);
    while (cursor.peek().isSymbol(u",")) {
        cursor.next();
        raise.arguments << cursor.parseLiteral();
    }
    cursor.expectSymbol(u")");
    if (cursor.peek().isKeyword(u"WITH")) {
        cursor.next();
        while (true) {
            const SqlToken &option = cursor.peek();
            if (!option.isKeyword(u"LOG") && !option.isKeyword(u"NOWAIT") && !option.isKeyword(u"SETERROR"))
                cursor.failAt(option);
            cursor.next();
            if (!cursor.peek().isSymbol(u","))
                break;
            cursor.next();
        }
    }
    return raise;
}

void runRaiseError(BatchState &batch, const RaiseErrorStatement &raise, int line)
{
    RaiseErrorRun(batch).run(raise, line);
}

QString formatRaisedText(const QString &text, const QList<SqlValue> &arguments)
{
    static const QString flags = QStringLiteral("-+ 0#");
    static const QString types = QStringLiteral("disuxXo");
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('%') || i + 1 >= text.size()) {
            result += text.at(i);
            continue;
        }
        if (text.at(i + 1) == QLatin1Char('%')) {
            result += QLatin1Char('%');
            ++i;
            continue;
        }
        qsizetype end = i + 1;
        while (end < text.size()
            && (flags.contains(text.at(end)) || text.at(end).isDigit() || text.at(end) == QLatin1Char('.')
                || text.at(end) == QLatin1Char('l') || text.at(end) == QLatin1Char('h')))
            ++end;
        if (end >= text.size() || !types.contains(text.at(end))) {
            result += text.at(i);
            continue;
        }
        if (next < arguments.size())
            result += arguments.at(next).isNull() ? QStringLiteral("(null)") : arguments.at(next).text;
        else
            result += QStringLiteral("(null)");
        ++next;
        i = end;
    }
    return result;
}

} // namespace standin
