#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <variant>

namespace standin {

// A literal or bare word as it appears in a statement.
struct SqlValue
{
    enum class Kind { Null, String, Number, Default, Word };
    Kind kind = Kind::Null;
    QString text; // string content, number text or the bare word

    bool isNull() const { return kind == Kind::Null; }
};

// A multi-part object name such as master.dbo.sysdatabases ("master..x" keeps an empty middle part).
struct ObjectName
{
    QStringList parts;
    QString written; // parts joined by "." as SQL Server quotes them in messages

    QString name() const { return parts.isEmpty() ? QString() : parts.last(); }
};

struct Operand
{
    // Function: a call of a scalar function such as DB_ID(N'name'), with literal arguments.
    enum class Kind { Column, Literal, Function };
    Kind kind = Kind::Literal;
    QString column; // the column, or the function's name
    SqlValue literal;
    QList<SqlValue> arguments;
};

// A search condition of a WHERE clause. OR and AND hold all their operands in `children`, so a long
// chain of them stays one level deep.
struct Condition
{
    enum class Kind { Or, And, Not, Compare, IsNull };
    Kind kind = Kind::Compare;
    QString op; // =, <>, !=, <, >, <=, >=, !<, !>
    Operand left;
    Operand right;
    bool negated = false; // IS NOT NULL
    QList<std::shared_ptr<Condition>> children;
};

// CAST(... AS type) or CONVERT(type, ...) around a value of the server's.
struct CastTarget
{
    QString type; // lower case: nvarchar, varchar, sysname, int, ...
    int length = 0; // characters; 0 when the type has none, -1 for MAX
};

struct SelectItem
{
    // ServerProperty: SERVERPROPERTY('name') with the name in `literal`; SystemVariable: @@VERSION
    // and the like, upper case in `column`.
    enum class Kind { Star, Column, Literal, ServerProperty, SystemVariable };
    Kind kind = Kind::Column;
    QString column;
    SqlValue literal;
    QString alias;
    std::optional<CastTarget> cast;
};

// CROSS APPLY function(arguments) [AS alias]: the function's rows for each row of the FROM table.
struct AppliedFunction
{
    ObjectName function;
    QList<Operand> arguments;
    QString alias;
};

struct SelectStatement
{
    QList<SelectItem> items;
    bool hasFrom = false;
    ObjectName from;
    QString fromAlias;
    std::optional<AppliedFunction> apply;
    std::shared_ptr<Condition> where;
};

struct ExecArgument
{
    QString parameter; // "@name" when passed by name, else empty
    SqlValue value;
};

struct ExecStatement
{
    ObjectName procedure;
    QList<ExecArgument> arguments;
};

struct BackupSource
{
    enum class Kind { Disk, Device, Other };
    Kind kind = Kind::Device;
    QString value; // the path for DISK = '...', the device name otherwise
    QString keyword; // TAPE, URL, ... for Other
};

struct RestoreMove
{
    QString logicalName;
    QString physicalName;
};

struct RestoreStatement
{
    enum class Kind { Database, FileListOnly, HeaderOnly, VerifyOnly };
    Kind kind = Kind::Database;
    QString database;
    QList<BackupSource> sources;
    QList<RestoreMove> moves;
    std::optional<int> stats; // STATS [= percentage]: progress every this many percent
    std::optional<bool> checksum; // WITH CHECKSUM (true) or NO_CHECKSUM (false)
    QStringList unsupportedOptions; // options understood by SQL Server but not by the stand-in
};

// A statement the stand-in recognises but does not carry out (INSERT, BACKUP, ...).
struct UnsupportedStatement
{
    QString description;
    QString near; // for a form of a statement the stand-in does not run: where its reading stopped
};

// RAISERROR(N'text', severity, state [, argument ...]): a message of the caller's own (50000).
struct RaiseErrorStatement
{
    int number = 50000;
    QString text;
    int severity = 16;
    int state = 1;
    QList<SqlValue> arguments;
};

// DROP DATABASE [IF EXISTS] name [, name ...]
struct DropDatabaseStatement
{
    QStringList names;
    bool ifExists = false;
};

// ALTER DATABASE name SET ONLINE | OFFLINE
struct AlterDatabaseStatement
{
    QString name;
    QString state; // ONLINE or OFFLINE
};
// SET of a session option: one or more ON/OFF options, or one option with its value.
struct SetStatement
{
    QStringList options; // upper case; TRANSACTION ISOLATION LEVEL and STATISTICS IO as one entry each
    QString value; // ON, OFF, or the value in upper case (us_english as written)
};

// Values of a remote procedure call's parameters, by lower-case name with its @.
using BoundParameters = QHash<QString, SqlValue>;

struct Statement;

// IF [NOT] EXISTS (SELECT ...) or IF condition, then a statement and perhaps an ELSE.
struct IfStatement
{
    std::shared_ptr<Condition> condition; // when set, tested instead of the EXISTS query
    bool notExists = false;
    SelectStatement query;
    std::shared_ptr<Statement> thenBranch;
    std::shared_ptr<Statement> elseBranch; // may be null
};

struct Statement
{
    std::variant<SelectStatement, ExecStatement, RestoreStatement, IfStatement, UnsupportedStatement,
        RaiseErrorStatement, DropDatabaseStatement, AlterDatabaseStatement, SetStatement>
        body;
    int line = 1; // line of the statement's first token in the batch
};

} // namespace standin
