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
        const int refusal = changeDevices([&] {
            if (m_catalogue.findDevice(logicalName))
                return Msg::DeviceExists;
            if (m_catalogue.findDeviceByPhysicalName(physicalName))
                return Msg::PhysicalDeviceExists;
            m_catalogue.addDevice(BackupDevice { logicalName, physicalName, type });
            return 0;
        });
        if (refusal == Msg::DeviceExists)
            procedureMessage(Msg::DeviceExists, { logicalName }, procedure, 84);
        else if (refusal == Msg::PhysicalDeviceExists)
            procedureMessage(Msg::PhysicalDeviceExists, { physicalName }, procedure, 91);
        else if (refusal == Msg::FilegroupFull)
            masterFull(procedure, 95);
        endProcedure(refusal == 0 ? 0 : 1);
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
        std::optional<BackupDevice> device;
        const int refusal = changeDevices([&] {
            device = m_catalogue.findDevice(logicalName);
            if (!device)
                return Msg::DeviceNotFound;
            m_catalogue.removeDevice(logicalName);
            return 0;
        });
        if (refusal == Msg::DeviceNotFound) {
            procedureMessage(Msg::DeviceNotFound, { logicalName }, procedure, 40);
            return endProcedure(1);
        }
        if (refusal == Msg::FilegroupFull) {
            masterFull(procedure, 70);
            return endProcedure(1);
        }
        if (values.at(1))
            QFile::remove(resolvePath(device->physicalName));
        procedureMessage(Msg::DeviceDropped, {}, procedure, 74);
        endProcedure(0);
    }

    // Runs a check and change of the devices under the catalogue's lock, then saves it: the refusal's
    // message number, 1105 when the catalogue could not be saved (master's filegroup is full, as a
    // server says when its disk is), or 0. Messages are sent after the lock is released.
    template<typename Check> int changeDevices(Check check)
    {
        Catalogue::Change change(m_catalogue);
        const int refusal = check();
        if (refusal != 0)
            return refusal;
        return change.commit(nullptr) ? 0 : Msg::FilegroupFull;
    }

    void masterFull(const QString &procedure, int line)
    {
        procedureMessage(Msg::FilegroupFull,
            { QStringLiteral("sys.sysobjvalues"), QString(), QStringLiteral("master"),
                QStringLiteral("PRIMARY") },
            procedure, line);
    }
};

} // namespace

void runProcedure(BatchState &batch, const ExecStatement &exec, int line)
{
    ProcedureCall(batch).executeProcedure(exec, line);
}

} // namespace standin
