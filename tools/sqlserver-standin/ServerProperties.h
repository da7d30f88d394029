#pragma once

#include "ResultSet.h"
#include "ServerVersion.h"
#include "SqlStatement.h"

#include <QVariant>

#include <optional>

namespace standin {

// SERVERPROPERTY('name'): text or an integer, or NULL for a name the server does not know.
QVariant serverProperty(const ServerIdentity &server, const QString &name);
// @@VERSION, @@SERVERNAME, ...; nullopt for one the stand-in does not know.
std::optional<QVariant> systemVariable(const ServerIdentity &server, const QString &name);
// The column a SELECT item of the server's values gives: sql_variant for SERVERPROPERTY, nvarchar for
// @@ values, or what a CAST or CONVERT makes of them.
ResultColumn serverValueColumn(const SelectItem &item, const QVariant &value);
// The value after the item's CAST or CONVERT.
QVariant castServerValue(const SelectItem &item, const QVariant &value);

} // namespace standin
