#include "ProcedureRunner.h"

#include "ServerFileProcedures.h"

#include <QFile>

namespace standin {

namespace {

class ProcedureCall : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

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
        const QString name = exec.procedure.name();
        const bool qualifiersOk = qualifiersReachSystemObject(exec.procedure);

        if (qualifiersOk && name.compare(u"sp_addumpdevice", Qt::CaseInsensitive) == 0) {
            addDumpDevice(exec);
        } else if (qualifiersOk && name.compare(u"sp_dropdevice", Qt::CaseInsensitive) == 0) {
            dropDevice(exec);
        } else if (qualifiersOk && isServerFileProcedure(name)) {
            runServerFileProcedure(m_batch, exec, line);
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
};

} // namespace

void runProcedure(BatchState &batch, const ExecStatement &exec, int line)
{
    ProcedureCall(batch).executeProcedure(exec, line);
}

} // namespace standin
