#pragma once

#include "SqlCursor.h"

#include <memory>

namespace standin {

// Reads search conditions (WHERE, IF): OR, AND, NOT, parentheses, comparisons and IS [NOT] NULL over
// columns, literals and scalar function calls such as DB_ID(N'name').
class SqlConditionParser
{
public:
    explicit SqlConditionParser(SqlCursor &cursor)
        : m_cursor(cursor)
    { }

    std::shared_ptr<Condition> parseCondition();
    Operand parseOperand();

private:
    std::shared_ptr<Condition> parseChain(Condition::Kind kind);
    std::shared_ptr<Condition> parseNot();
    std::shared_ptr<Condition> parsePredicate();

    SqlCursor &m_cursor;
};

} // namespace standin
