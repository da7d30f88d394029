#include "Engine.h"

#include "BackupFile.h"
#include "SqlParser.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

namespace standin {

namespace {

constexpr qint64 PageSize = 8192;

// A failure that ends the current statement with the messages collected so far.
struct StatementError
{
    QList<ServerMessage> messages;
};

struct Table
{
    QList<ResultColumn> columns;
    QList<ResultRow> rows;
};

ResultColumn nvarcharColumn(const QString &name, int length, bool nullable = false)
{
    return ResultColumn { name, SqlType::NVarChar, length, 0, nullable };
}

ResultColumn smallintColumn(const QString &name)
{
    return ResultColumn { name, SqlType::SmallIntN, 0, 0, false };
}

QString trimmedPath(const QString &path)
{
    return path.trimmed();
}

// Directory part of a path, with either separator.
QString directoryOf(const QString &path)
{
    const qsizetype slash = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return path.left(1);
    return path.left(slash);
}

QUuid fileGuid(const QString &databaseName, const QString &logicalName)
{
    return QUuid::createUuidV5(QUuid(QStringLiteral("{5b1f0c6e-2a55-4a7e-9c2e-1d6a8f7d3b10}")),
        databaseName.toLower() + QLatin1Char('/') + logicalName.toLower());
}

class BatchRun
{
public:
    BatchRun(Catalogue &catalogue, ResponseSink &sink)
        : m_catalogue(catalogue)
        , m_sink(sink)
    { }

    Engine::Outcome run(const QString &batch)
    {
        const ParsedBatch parsed = parseSqlBatch(batch);
        if (!parsed.errors.isEmpty()) {
            for (const ServerMessage &error : parsed.errors)
                m_sink.message(error);
            m_sink.done(DoneKind::Done, DoneStatus::Error, CurrentCommand::None, 0);
            return Engine::Outcome::Completed;
        }
        if (parsed.statements.isEmpty()) {
            m_sink.done(DoneKind::Done, DoneStatus::Final, CurrentCommand::None, 0);
            return Engine::Outcome::Completed;
        }
        for (qsizetype i = 0; i < parsed.statements.size(); ++i) {
            m_last = i == parsed.statements.size() - 1;
            const Engine::Outcome outcome = execute(parsed.statements.at(i));
            if (outcome != Engine::Outcome::Completed)
                return outcome;
        }
        return Engine::Outcome::Completed;
    }

private:
    // Ends a statement; every statement but the batch's last says that more follows.
    void finish(quint16 status, quint16 command = CurrentCommand::None, quint64 count = 0,
        DoneKind kind = DoneKind::Done)
    {
        if (!m_last)
            status |= DoneStatus::More;
        m_sink.done(kind, status, command, count);
    }

    void fail(const QList<ServerMessage> &messages, int line, quint16 command = CurrentCommand::None)
    {
        for (ServerMessage message : messages) {
            if (message.procedure.isEmpty())
                message.line = line;
            m_sink.message(message);
        }
        finish(DoneStatus::Error, command);
    }

    Engine::Outcome execute(const Statement &statement)
    {
        try {
            if (const auto *select = std::get_if<SelectStatement>(&statement.body)) {
                const Table table = evaluateSelect(*select);
                m_sink.columns(table.columns);
                for (const ResultRow &row : table.rows)
                    m_sink.row(row);
                finish(DoneStatus::Count, CurrentCommand::Select, quint64(table.rows.size()));
            } else if (const auto *ifStatement = std::get_if<IfStatement>(&statement.body)) {
                const bool exists = !evaluateSelect(ifStatement->query).rows.isEmpty();
                const std::shared_ptr<Statement> branch
                    = exists != ifStatement->notExists ? ifStatement->thenBranch : ifStatement->elseBranch;
                if (branch)
                    return execute(*branch);
                finish(DoneStatus::Final);
            } else if (const auto *exec = std::get_if<ExecStatement>(&statement.body)) {
                executeProcedure(*exec, statement.line);
            } else if (const auto *restore = std::get_if<RestoreStatement>(&statement.body)) {
                return restore->kind == RestoreStatement::Kind::FileListOnly
                    ? restoreFileList(*restore, statement.line)
                    : restoreDatabase(*restore, statement.line);
            } else if (const auto *unsupported = std::get_if<UnsupportedStatement>(&statement.body)) {
                fail({ serverMessage(Msg::UserDefined,
                         { QStringLiteral("The SQL Server stand-in does not run %1 statements.")
                                 .arg(unsupported->description) }) },
                    statement.line);
            }
        } catch (const StatementError &error) {
            fail(error.messages, statement.line);
        }
        return Engine::Outcome::Completed;
    }

    // --- SELECT ---------------------------------------------------------------------------------

    Table resolveTable(const ObjectName &object) const
    {
        const QStringList &parts = object.parts;
        const QString name = object.name();
        bool qualifiersOk = parts.size() <= 3;
        if (parts.size() >= 2) {
            const QString schema = parts.at(parts.size() - 2);
            qualifiersOk = qualifiersOk
                && (schema.isEmpty() || schema.compare(u"dbo", Qt::CaseInsensitive) == 0
                    || schema.compare(u"sys", Qt::CaseInsensitive) == 0);
        }
        if (parts.size() == 3)
            qualifiersOk = qualifiersOk && m_catalogue.findDatabase(parts.first()).has_value();

        Table table;
        if (qualifiersOk && name.compare(u"sysdatabases", Qt::CaseInsensitive) == 0) {
            table.columns << nvarcharColumn(QStringLiteral("name"), 128)
                          << smallintColumn(QStringLiteral("dbid"))
                          << nvarcharColumn(QStringLiteral("filename"), 260, true);
            for (const Database &database : m_catalogue.databases()) {
                const QVariant file
                    = database.files.isEmpty() ? QVariant() : QVariant(database.files.first().physicalName);
                table.rows << ResultRow { database.name, qint64(database.id), file };
            }
            return table;
        }
        if (qualifiersOk && name.compare(u"sysdevices", Qt::CaseInsensitive) == 0) {
            table.columns << nvarcharColumn(QStringLiteral("name"), 128)
                          << smallintColumn(QStringLiteral("status"))
                          << smallintColumn(QStringLiteral("cntrltype"))
                          << nvarcharColumn(QStringLiteral("phyname"), 260);
            for (const BackupDevice &device : m_catalogue.devices()) {
                const bool tape = device.type.compare(u"tape", Qt::CaseInsensitive) == 0;
                table.rows << ResultRow { device.name, qint64(16), qint64(tape ? 5 : 2),
                    device.physicalName };
            }
            return table;
        }
        throw StatementError { { serverMessage(Msg::InvalidObject, { object.written }) } };
    }

    static int columnIndex(const Table &table, const QString &name)
    {
        for (qsizetype i = 0; i < table.columns.size(); ++i) {
            if (table.columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return int(i);
        }
        return -1;
    }

    static void collectColumns(const Condition &condition, QStringList &columns)
    {
        for (const Operand *operand : { &condition.left, &condition.right }) {
            if (operand->kind == Operand::Kind::Column && !operand->column.isEmpty())
                columns << operand->column;
        }
        for (const auto &child : condition.children)
            collectColumns(*child, columns);
    }

    static QVariant literalValue(const SqlValue &value)
    {
        switch (value.kind) {
        case SqlValue::Kind::String:
        case SqlValue::Kind::Word:
            return value.text;
        case SqlValue::Kind::Number: {
            bool ok = false;
            const qint64 number = value.text.toLongLong(&ok);
            return ok ? QVariant(number) : QVariant(value.text.toDouble());
        }
        case SqlValue::Kind::Null:
        case SqlValue::Kind::Default:
            break;
        }
        return QVariant();
    }

    static QVariant operandValue(const Operand &operand, const Table &table, const ResultRow &row)
    {
        if (operand.kind == Operand::Kind::Literal)
            return literalValue(operand.literal);
        return row.at(columnIndex(table, operand.column));
    }

    static bool isNumeric(const QVariant &value)
    {
        return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
    }

    // Three-valued comparison: nullopt is UNKNOWN.
    static std::optional<int> compareValues(
        const QVariant &a, const QVariant &b, const Table &table, const Condition &condition)
    {
        if (a.isNull() || b.isNull())
            return std::nullopt;
        if (isNumeric(a) || isNumeric(b)) {
            const QVariant &text = isNumeric(a) ? b : a;
            double left = a.toDouble();
            double right = b.toDouble();
            if (!isNumeric(text)) {
                bool ok = false;
                const double converted = text.toString().trimmed().toDouble(&ok);
                if (!ok) {
                    const Operand &numericSide = isNumeric(a) ? condition.left : condition.right;
                    QString typeName = QStringLiteral("int");
                    if (numericSide.kind == Operand::Kind::Column
                        && table.columns.at(columnIndex(table, numericSide.column)).type
                            == SqlType::SmallIntN)
                        typeName = QStringLiteral("smallint");
                    throw StatementError { { serverMessage(
                        Msg::ConversionFailed, { QStringLiteral("nvarchar"), text.toString(), typeName }) } };
                }
                (isNumeric(a) ? right : left) = converted;
            }
            return left < right ? -1 : (left > right ? 1 : 0);
        }
        // The default collation: case-insensitive, trailing blanks do not count.
        auto stripped = [](QString text) {
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            return text;
        };
        return stripped(a.toString()).compare(stripped(b.toString()), Qt::CaseInsensitive);
    }

    static std::optional<bool> evaluate(const Condition &condition, const Table &table, const ResultRow &row)
    {
        switch (condition.kind) {
        case Condition::Kind::Or: {
            const auto left = evaluate(*condition.children.at(0), table, row);
            const auto right = evaluate(*condition.children.at(1), table, row);
            if (left == true || right == true)
                return true;
            if (!left || !right)
                return std::nullopt;
            return false;
        }
        case Condition::Kind::And: {
            const auto left = evaluate(*condition.children.at(0), table, row);
            const auto right = evaluate(*condition.children.at(1), table, row);
            if (left == false || right == false)
                return false;
            if (!left || !right)
                return std::nullopt;
            return true;
        }
        case Condition::Kind::Not: {
            const auto inner = evaluate(*condition.children.at(0), table, row);
            if (!inner)
                return std::nullopt;
            return !*inner;
        }
        case Condition::Kind::IsNull: {
            const bool isNull = operandValue(condition.left, table, row).isNull();
            return condition.negated ? !isNull : isNull;
        }
        case Condition::Kind::Compare:
            break;
        }
        const auto order = compareValues(operandValue(condition.left, table, row),
            operandValue(condition.right, table, row), table, condition);
        if (!order)
            return std::nullopt;
        const QString &op = condition.op;
        if (op == u"=")
            return *order == 0;
        if (op == u"<>" || op == u"!=")
            return *order != 0;
        if (op == u"<" || op == u"!>")
            return op == u"<" ? *order < 0 : *order <= 0;
        if (op == u">" || op == u"!<")
            return op == u">" ? *order > 0 : *order >= 0;
        if (op == u"<=")
            return *order <= 0;
        return *order >= 0;
    }

    Table evaluateSelect(const SelectStatement &select) const
    {
        Table source;
        if (select.hasFrom)
            source = resolveTable(select.from);
        else
            source.rows << ResultRow {};

        QStringList referenced;
        for (const SelectItem &item : select.items) {
            if (item.kind == SelectItem::Kind::Column)
                referenced << item.column;
        }
        if (select.where)
            collectColumns(*select.where, referenced);
        QList<ServerMessage> invalid;
        for (const QString &column : std::as_const(referenced)) {
            if (columnIndex(source, column) < 0)
                invalid << serverMessage(Msg::InvalidColumn, { column });
        }
        if (!invalid.isEmpty())
            throw StatementError { invalid };

        Table result;
        QList<std::function<QVariant(const ResultRow &)>> extractors;
        for (const SelectItem &item : select.items) {
            if (item.kind == SelectItem::Kind::Star) {
                for (qsizetype i = 0; i < source.columns.size(); ++i) {
                    result.columns << source.columns.at(i);
                    extractors << [i](const ResultRow &row) { return row.at(i); };
                }
            } else if (item.kind == SelectItem::Kind::Column) {
                const int index = columnIndex(source, item.column);
                ResultColumn column = source.columns.at(index);
                if (!item.alias.isEmpty())
                    column.name = item.alias;
                result.columns << column;
                extractors << [index](const ResultRow &row) { return row.at(index); };
            } else {
                const QVariant value = literalValue(item.literal);
                ResultColumn column;
                column.name = item.alias;
                column.nullable = value.isNull();
                if (value.typeId() == QMetaType::LongLong) {
                    column.type = SqlType::IntN;
                } else {
                    column.type = SqlType::NVarChar;
                    column.length = int(qBound(qsizetype(1), value.toString().size(), qsizetype(4000)));
                }
                result.columns << column;
                extractors << [value](const ResultRow &) { return value; };
            }
        }
        for (const ResultRow &row : std::as_const(source.rows)) {
            if (select.where && evaluate(*select.where, source, row) != true)
                continue;
            ResultRow out;
            for (const auto &extract : extractors)
                out << extract(row);
            result.rows << out;
        }
        return result;
    }

    // --- Stored procedures ----------------------------------------------------------------------

    struct Parameter
    {
        QString name;
        bool required;
    };

    // Binds positional and named arguments; a missing value stays nullopt (SQL NULL or not given).
    QList<std::optional<QString>> bindArguments(const QString &procedure, const QList<Parameter> &parameters,
        const QList<ExecArgument> &arguments) const
    {
        QList<std::optional<QString>> values(parameters.size());
        QList<bool> given(parameters.size(), false);
        qsizetype position = 0;
        for (const ExecArgument &argument : arguments) {
            qsizetype index = -1;
            if (argument.parameter.isEmpty()) {
                index = position++;
                if (index >= parameters.size())
                    throw StatementError { { serverMessage(Msg::TooManyArguments, { procedure }) } };
            } else {
                for (qsizetype i = 0; i < parameters.size(); ++i) {
                    if (parameters.at(i).name.compare(argument.parameter, Qt::CaseInsensitive) == 0)
                        index = i;
                }
                if (index < 0)
                    throw StatementError { { serverMessage(
                        Msg::NotAParameter, { argument.parameter, procedure }) } };
            }
            if (argument.value.kind == SqlValue::Kind::Default)
                continue;
            given[index] = true;
            if (!argument.value.isNull())
                values[index] = argument.value.text;
        }
        for (qsizetype i = 0; i < parameters.size(); ++i) {
            if (parameters.at(i).required && !given.at(i))
                throw StatementError { { serverMessage(
                    Msg::MissingParameter, { procedure, parameters.at(i).name }) } };
        }
        return values;
    }

    void procedureMessage(int number, const QStringList &args, const QString &procedure, int line)
    {
        ServerMessage message = serverMessage(number, args);
        message.procedure = procedure;
        message.line = line;
        m_sink.message(message);
    }

    void endProcedure(qint32 status)
    {
        m_sink.returnStatus(status);
        finish(status == 0 ? DoneStatus::Final : DoneStatus::Error, CurrentCommand::Execute, 0,
            DoneKind::DoneProc);
    }

    void executeProcedure(const ExecStatement &exec, int line)
    {
        const QStringList &parts = exec.procedure.parts;
        const QString name = exec.procedure.name();
        bool qualifiersOk = parts.size() <= 3;
        if (parts.size() >= 2) {
            const QString schema = parts.at(parts.size() - 2);
            qualifiersOk = qualifiersOk
                && (schema.isEmpty() || schema.compare(u"dbo", Qt::CaseInsensitive) == 0
                    || schema.compare(u"sys", Qt::CaseInsensitive) == 0);
        }
        if (parts.size() == 3)
            qualifiersOk = qualifiersOk && m_catalogue.findDatabase(parts.first()).has_value();

        if (qualifiersOk && name.compare(u"sp_addumpdevice", Qt::CaseInsensitive) == 0) {
            addDumpDevice(exec);
        } else if (qualifiersOk && name.compare(u"sp_dropdevice", Qt::CaseInsensitive) == 0) {
            dropDevice(exec);
        } else {
            fail({ serverMessage(Msg::StoredProcedureNotFound, { exec.procedure.written }) }, line);
        }
    }

    void addDumpDevice(const ExecStatement &exec)
    {
        const QString procedure = QStringLiteral("sp_addumpdevice");
        const auto values = bindArguments(procedure,
            { { QStringLiteral("@devtype"), true }, { QStringLiteral("@logicalname"), true },
                { QStringLiteral("@physicalname"), true }, { QStringLiteral("@cntrltype"), false },
                { QStringLiteral("@devstatus"), false } },
            exec.arguments);
        const QString type = values.at(0).value_or(QString()).trimmed().toLower();
        if (type != u"disk" && type != u"tape") {
            procedureMessage(Msg::UnknownDeviceType, { values.at(0).value_or(QString()) }, procedure, 58);
            return endProcedure(1);
        }
        if (!values.at(1)) {
            procedureMessage(Msg::LogicalNameNull, {}, procedure, 65);
            return endProcedure(1);
        }
        if (!values.at(2)) {
            procedureMessage(Msg::PhysicalNameNull, {}, procedure, 70);
            return endProcedure(1);
        }
        const QString logicalName = *values.at(1);
        const QString physicalName = *values.at(2);
        static const QStringList specialWords { QStringLiteral("disk"), QStringLiteral("diskette"),
            QStringLiteral("tape") };
        if (specialWords.contains(logicalName.trimmed().toLower())) {
            procedureMessage(Msg::SpecialWordAsDeviceName, { logicalName }, procedure, 77);
            return endProcedure(1);
        }
        if (m_catalogue.findDevice(logicalName)) {
            procedureMessage(Msg::DeviceExists, { logicalName }, procedure, 84);
            return endProcedure(1);
        }
        if (m_catalogue.findDeviceByPhysicalName(physicalName)) {
            procedureMessage(Msg::PhysicalDeviceExists, { physicalName }, procedure, 91);
            return endProcedure(1);
        }
        m_catalogue.addDevice(BackupDevice { logicalName, physicalName, type });
        if (!saveCatalogue(procedure)) {
            m_catalogue.removeDevice(logicalName);
            return endProcedure(1);
        }
        endProcedure(0);
    }

    void dropDevice(const ExecStatement &exec)
    {
        const QString procedure = QStringLiteral("sp_dropdevice");
        const auto values = bindArguments(procedure,
            { { QStringLiteral("@logicalname"), true }, { QStringLiteral("@delfile"), false } },
            exec.arguments);
        const QString logicalName = values.at(0).value_or(QString());
        if (values.at(1) && values.at(1)->trimmed().compare(u"delfile", Qt::CaseInsensitive) != 0) {
            procedureMessage(Msg::InvalidDelfileOption, { *values.at(1) }, procedure, 27);
            return endProcedure(1);
        }
        const std::optional<BackupDevice> device = m_catalogue.findDevice(logicalName);
        if (!device) {
            procedureMessage(Msg::DeviceNotFound, { logicalName }, procedure, 40);
            return endProcedure(1);
        }
        m_catalogue.removeDevice(logicalName);
        if (!saveCatalogue(procedure)) {
            m_catalogue.addDevice(*device);
            return endProcedure(1);
        }
        if (values.at(1))
            QFile::remove(resolvePath(device->physicalName));
        procedureMessage(Msg::DeviceDropped, {}, procedure, 74);
        endProcedure(0);
    }

    bool saveCatalogue(const QString &procedure)
    {
        QString error;
        if (m_catalogue.save(&error))
            return true;
        ServerMessage message = serverMessage(Msg::UserDefined,
            { QStringLiteral("The SQL Server stand-in could not write its catalogue: %1").arg(error) });
        message.procedure = procedure;
        m_sink.message(message);
        return false;
    }

    // --- RESTORE --------------------------------------------------------------------------------

    // Relative paths are taken from the data folder, as SQL Server takes them from its default folders.
    QString resolvePath(const QString &path) const
    {
        if (QDir::isAbsolutePath(path) || path.isEmpty())
            return path;
        return QDir(m_catalogue.dataDir()).filePath(path);
    }

    // Finds the backup a RESTORE reads, or throws the errors SQL Server gives (3013 is added by the caller).
    BackupContents openBackup(const RestoreStatement &restore) const
    {
        if (!restore.unsupportedOptions.isEmpty()) {
            throw StatementError { { serverMessage(Msg::UserDefined,
                { QStringLiteral("The SQL Server stand-in does not support the RESTORE option %1.")
                        .arg(restore.unsupportedOptions.join(QStringLiteral(", "))) }) } };
        }
        if (restore.sources.size() != 1 || restore.sources.first().kind == BackupSource::Kind::Other) {
            throw StatementError { { serverMessage(Msg::UserDefined,
                { QStringLiteral(
                    "The SQL Server stand-in restores only from one backup device or one DISK file.") }) } };
        }
        const BackupSource &source = restore.sources.first();
        QString path = source.value;
        if (source.kind == BackupSource::Kind::Device) {
            const std::optional<BackupDevice> device = m_catalogue.findDevice(source.value);
            if (!device)
                throw StatementError { { serverMessage(Msg::BackupDeviceMissing, { source.value }) } };
            path = device->physicalName;
        }
        const BackupFile::ReadResult read = BackupFile::read(resolvePath(path));
        switch (read.status) {
        case BackupFile::Status::Ok:
            return read.contents;
        case BackupFile::Status::FileMissing:
            throw StatementError { { serverMessage(
                Msg::CannotOpenBackupDevice, { path, OsError::fileNotFound() }) } };
        case BackupFile::Status::PathMissing:
            throw StatementError { { serverMessage(
                Msg::CannotOpenBackupDevice, { path, OsError::pathNotFound() }) } };
        case BackupFile::Status::AccessDenied:
            throw StatementError { { serverMessage(
                Msg::CannotOpenBackupDevice, { path, OsError::accessDenied() }) } };
        case BackupFile::Status::NotABackup:
            break;
        }
        throw StatementError { { serverMessage(Msg::MediaFamilyIncorrect, { path }) } };
    }

    void failRestore(QList<ServerMessage> messages, const QString &verb, int line)
    {
        messages << serverMessage(Msg::TerminatingAbnormally, { verb });
        fail(messages, line);
    }

    Engine::Outcome restoreFileList(const RestoreStatement &restore, int line)
    {
        const QString verb = QStringLiteral("RESTORE FILELIST");
        BackupContents backup;
        try {
            backup = openBackup(restore);
        } catch (const StatementError &error) {
            failRestore(error.messages, verb, line);
            return Engine::Outcome::Completed;
        }
        const QList<ResultColumn> columns {
            { QStringLiteral("LogicalName"), SqlType::NVarChar, 128, 0, false },
            { QStringLiteral("PhysicalName"), SqlType::NVarChar, 260, 0, false },
            { QStringLiteral("Type"), SqlType::Char, 1, 0, false },
            { QStringLiteral("FileGroupName"), SqlType::NVarChar, 128, 0, true },
            { QStringLiteral("Size"), SqlType::NumericN, 0, 20, false },
            { QStringLiteral("MaxSize"), SqlType::NumericN, 0, 20, false },
            { QStringLiteral("FileId"), SqlType::BigIntN, 0, 0, false },
            { QStringLiteral("CreateLSN"), SqlType::NumericN, 0, 25, false },
            { QStringLiteral("DropLSN"), SqlType::NumericN, 0, 25, true },
            { QStringLiteral("UniqueId"), SqlType::UniqueIdentifier, 0, 0, false },
            { QStringLiteral("ReadOnlyLSN"), SqlType::NumericN, 0, 25, true },
            { QStringLiteral("ReadWriteLSN"), SqlType::NumericN, 0, 25, true },
            { QStringLiteral("BackupSizeInBytes"), SqlType::BigIntN, 0, 0, false },
            { QStringLiteral("SourceBlockSize"), SqlType::IntN, 0, 0, false },
            { QStringLiteral("FileGroupId"), SqlType::IntN, 0, 0, false },
            { QStringLiteral("LogGroupGUID"), SqlType::UniqueIdentifier, 0, 0, true },
            { QStringLiteral("DifferentialBaseLSN"), SqlType::NumericN, 0, 25, true },
            { QStringLiteral("DifferentialBaseGUID"), SqlType::UniqueIdentifier, 0, 0, true },
            { QStringLiteral("IsReadOnly"), SqlType::Bit, 0, 0, false },
            { QStringLiteral("IsPresent"), SqlType::Bit, 0, 0, false },
            { QStringLiteral("TDEThumbprint"), SqlType::VarBinary, 32, 0, true },
            { QStringLiteral("SnapshotUrl"), SqlType::NVarChar, 360, 0, true },
        };
        m_sink.columns(columns);
        qint64 fileId = 0;
        for (const BackupFileEntry &file : std::as_const(backup.files)) {
            ++fileId;
            const bool log = file.type == QLatin1Char('L');
            m_sink.row(ResultRow { file.logicalName, file.physicalName, QString(file.type),
                log ? QVariant() : QVariant(QStringLiteral("PRIMARY")), file.size,
                log ? qint64(2199023255552) : qint64(35184372080640), fileId, qint64(0), qint64(0),
                fileGuid(backup.databaseName, file.logicalName), qint64(0), qint64(0),
                log ? qint64(0) : file.size, qint64(512), log ? qint64(0) : qint64(1), QVariant(), qint64(0),
                QUuid(), false, true, QVariant(), QVariant() });
        }
        finish(DoneStatus::Count, CurrentCommand::Select, quint64(backup.files.size()));
        return Engine::Outcome::Completed;
    }

    struct PlannedFile
    {
        BackupFileEntry source;
        QString target; // as the statement (or the backup) names it
        QString resolvedTarget; // where the stand-in creates it
    };

    Engine::Outcome restoreDatabase(const RestoreStatement &restore, int line)
    {
        const QString verb = QStringLiteral("RESTORE DATABASE");
        QElapsedTimer timer;
        timer.start();

        BackupContents backup;
        try {
            backup = openBackup(restore);
        } catch (const StatementError &error) {
            failRestore(error.messages, verb, line);
            return Engine::Outcome::Completed;
        }

        QList<ServerMessage> problems;
        for (const RestoreMove &move : restore.moves) {
            const bool known
                = std::any_of(backup.files.cbegin(), backup.files.cend(), [&](const BackupFileEntry &file) {
                      return Catalogue::sameName(file.logicalName, move.logicalName);
                  });
            if (!known)
                problems << serverMessage(
                    Msg::LogicalFileNotInBackup, { move.logicalName, backup.databaseName });
        }
        if (!problems.isEmpty()) {
            failRestore(problems, verb, line);
            return Engine::Outcome::Completed;
        }
        if (m_catalogue.findDatabase(restore.database)) {
            failRestore({ serverMessage(Msg::BackupOfOtherDatabase, { restore.database }) }, verb, line);
            return Engine::Outcome::Completed;
        }

        QList<PlannedFile> plan;
        for (const BackupFileEntry &file : std::as_const(backup.files)) {
            PlannedFile planned { file, file.physicalName, QString() };
            for (const RestoreMove &move : restore.moves) {
                if (Catalogue::sameName(move.logicalName, file.logicalName))
                    planned.target = trimmedPath(move.physicalName);
            }
            planned.resolvedTarget = resolvePath(planned.target);
            plan << planned;
        }
        for (qsizetype i = 0; i < plan.size(); ++i) {
            const PlannedFile &planned = plan.at(i);
            for (qsizetype j = 0; j < i; ++j) {
                if (Catalogue::samePath(plan.at(j).resolvedTarget, planned.resolvedTarget)) {
                    problems << serverMessage(Msg::FileClaimedTwice,
                        { planned.target, plan.at(j).source.logicalName, QString::number(j + 1),
                            planned.source.logicalName, QString::number(i + 1) });
                }
            }
            const QString directory = directoryOf(planned.resolvedTarget);
            if (!directory.isEmpty() && !QFileInfo(directory).isDir()) {
                problems << serverMessage(
                    Msg::DirectoryLookupFailed, { planned.target, OsError::fileNotFound() })
                         << serverMessage(
                                Msg::CannotRestoreFileTo, { planned.source.logicalName, planned.target }, 3);
            } else if (const auto owner = m_catalogue.databaseUsingFile(planned.resolvedTarget)) {
                problems << serverMessage(Msg::FileInUse, { planned.target, owner->name })
                         << serverMessage(
                                Msg::CannotRestoreFileTo, { planned.source.logicalName, planned.target }, 4);
            } else if (QFileInfo::exists(planned.resolvedTarget)) {
                problems << serverMessage(
                    Msg::CannotRestoreOverExisting, { planned.source.logicalName, planned.target });
            }
        }
        if (!problems.isEmpty()) {
            problems << serverMessage(Msg::RestorePlanningProblems);
            failRestore(problems, verb, line);
            return Engine::Outcome::Completed;
        }

        QStringList created;
        auto rollBack = [&created] {
            for (const QString &path : std::as_const(created))
                QFile::remove(path);
        };
        for (const PlannedFile &planned : std::as_const(plan)) {
            QFile file(planned.resolvedTarget);
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                rollBack();
                failRestore(
                    { serverMessage(Msg::CreateFileFailed, { OsError::accessDenied(), planned.target }) },
                    verb, line);
                return Engine::Outcome::Completed;
            }
            created << planned.resolvedTarget;
            file.write(QStringLiteral("SQLSERVER-STANDIN DATABASE FILE\ndatabase: %1\nlogical name: %2\n"
                                      "This placeholder holds no data.\n")
                           .arg(restore.database, planned.source.logicalName)
                           .toUtf8());
        }

        qint64 totalPages = 0;
        for (const PlannedFile &planned : std::as_const(plan)) {
            const qint64 pages = planned.source.size / PageSize;
            totalPages += pages;
            ServerMessage progress = serverMessage(Msg::PagesProcessed,
                { QString::number(pages), restore.database, planned.source.logicalName });
            progress.line = line;
            m_sink.message(progress);
            m_sink.done(DoneKind::Done, DoneStatus::More, CurrentCommand::None, 0);
            const ResponseSink::Progress step = m_sink.restoreProgress();
            if (step != ResponseSink::Progress::Continue) {
                rollBack();
                return step == ResponseSink::Progress::Cancelled ? Engine::Outcome::Cancelled
                                                                 : Engine::Outcome::Dropped;
            }
        }

        Database database;
        database.name = restore.database;
        database.id = m_catalogue.nextDatabaseId();
        for (const PlannedFile &planned : std::as_const(plan))
            database.files << DatabaseFile { planned.source.logicalName, planned.target, planned.source.type,
                planned.source.size };
        m_catalogue.addDatabase(database);
        QString error;
        if (!m_catalogue.save(&error)) {
            QString loadError;
            m_catalogue.load(&loadError);
            rollBack();
            failRestore({ serverMessage(Msg::UserDefined,
                            { QStringLiteral("The SQL Server stand-in could not write its catalogue: %1")
                                    .arg(error) }) },
                verb, line);
            return Engine::Outcome::Completed;
        }

        const qint64 elapsedMs = qMax<qint64>(1, timer.elapsed());
        const qint64 rate = totalPages * PageSize * 1000 / 1048576 * 1000 / elapsedMs; // thousandths of MB/s
        ServerMessage summary = serverMessage(Msg::RestoreSucceeded,
            { verb, QString::number(totalPages),
                QStringLiteral("%1.%2").arg(elapsedMs / 1000).arg(elapsedMs % 1000, 3, 10, QLatin1Char('0')),
                QStringLiteral("%1.%2").arg(rate / 1000).arg(rate % 1000, 3, 10, QLatin1Char('0')) });
        summary.line = line;
        m_sink.message(summary);
        finish(DoneStatus::Final);
        return Engine::Outcome::Completed;
    }

    Catalogue &m_catalogue;
    ResponseSink &m_sink;
    bool m_last = true;
};

} // namespace

Engine::Engine(Catalogue &catalogue)
    : m_catalogue(catalogue)
{ }

Engine::Outcome Engine::executeBatch(const QString &batch, ResponseSink &sink)
{
    const std::lock_guard lock(m_mutex);
    return BatchRun(m_catalogue, sink).run(batch);
}

std::optional<QString> Engine::databaseName(const QString &name)
{
    const std::lock_guard lock(m_mutex);
    if (const auto database = m_catalogue.findDatabase(name))
        return database->name;
    return std::nullopt;
}

} // namespace standin
