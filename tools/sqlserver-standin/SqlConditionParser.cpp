#include "SqlConditionParser.h"

namespace standin {

std::shared_ptr<Condition> SqlConditionParser::parseCondition()
{
    return parseChain(Condition::Kind::Or);
}

// OR over AND over NOT: a chain holds all its operands in one node, so a long chain stays one level deep.
std::shared_ptr<Condition> SqlConditionParser::parseChain(Condition::Kind kind)
{
    const bool isOr = kind == Condition::Kind::Or;
    const QStringView keyword = isOr ? u"OR" : u"AND";
    auto operand = [&] { return isOr ? parseChain(Condition::Kind::And) : parseNot(); };
    auto first = operand();
    if (!m_cursor.peek().isKeyword(keyword))
        return first;
    auto node = std::make_shared<Condition>();
    node->kind = kind;
    node->children << first;
    while (m_cursor.peek().isKeyword(keyword)) {
        m_cursor.next();
        node->children << operand();
    }
    return node;
}

std::shared_ptr<Condition> SqlConditionParser::parseNot()
{
    if (m_cursor.peek().isKeyword(u"NOT")) {
        const SqlToken &keyword = m_cursor.next();
        const SqlCursor::NestingLevel level(m_cursor, keyword);
        auto node = std::make_shared<Condition>();
        node->kind = Condition::Kind::Not;
        node->children << parseNot();
        return node;
    }
    if (m_cursor.peek().isSymbol(u"(")) {
        const SqlToken &parenthesis = m_cursor.next();
        const SqlCursor::NestingLevel level(m_cursor, parenthesis);
        auto inner = parseCondition();
        m_cursor.expectSymbol(u")");
        return inner;
    }
    return parsePredicate();
}

Operand SqlConditionParser::parseOperand()
{
    Operand operand;
    if (m_cursor.startsLiteral(m_cursor.peek())) {
        operand.kind = Operand::Kind::Literal;
        operand.literal = m_cursor.parseLiteral();
        return operand;
    }
    if (m_cursor.peek().kind == SqlToken::Kind::Identifier && m_cursor.peek(1).isSymbol(u"(")) {
        operand.kind = Operand::Kind::Function;
        operand.column = m_cursor.next().value.toUpper();
        m_cursor.next();
        while (!m_cursor.peek().isSymbol(u")")) {
            operand.arguments << m_cursor.parseLiteral();
            if (!m_cursor.peek().isSymbol(u","))
                break;
            m_cursor.next();
        }
        m_cursor.expectSymbol(u")");
        return operand;
    }
    operand.kind = Operand::Kind::Column;
    operand.column = m_cursor.parseObjectName().name();
    return operand;
}

std::shared_ptr<Condition> SqlConditionParser::parsePredicate()
{
    auto node = std::make_shared<Condition>();
    node->left = parseOperand();
    if (m_cursor.peek().isKeyword(u"IS")) {
        m_cursor.next();
        node->kind = Condition::Kind::IsNull;
        if (m_cursor.peek().isKeyword(u"NOT")) {
            m_cursor.next();
            node->negated = true;
        }
        m_cursor.expectKeyword(u"NULL");
        return node;
    }
    static const QStringList operators { QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("!="),
        QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">="),
        QStringLiteral("!<"), QStringLiteral("!>") };
    const SqlToken &op = m_cursor.peek();
    if (op.kind != SqlToken::Kind::Symbol || !operators.contains(op.value))
        m_cursor.failAt(op);
    m_cursor.next();
    node->kind = Condition::Kind::Compare;
    node->op = op.value;
    node->right = parseOperand();
    return node;
}

} // namespace standin
