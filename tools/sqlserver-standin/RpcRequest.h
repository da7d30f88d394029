#pragma once

#include "SqlStatement.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace standin {

struct RpcParameter
{
    QString name; // with its @; empty when sent without a name
    bool output = false;
    QString type; // as SQL declares it: nvarchar(4000), nvarchar(max), int, bit, ntext, ...
    SqlValue value; // a String, a Number or Null
};

// One remote procedure call (packet type 0x03): the procedure by name or by its well-known number.
struct RpcRequest
{
    QString procedure; // the name as sent, or the name of the well-known procedure
    QList<RpcParameter> parameters;
};

// Reads an RPC message (ALL_HEADERS, then one call). Nullopt with *error set when the message is
// malformed, holds several calls or a parameter of a type the stand-in does not read.
std::optional<RpcRequest> parseRpcRequest(const QByteArray &payload, QString *error);

} // namespace standin
