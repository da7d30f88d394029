#include "ServerLogon.h"

#include "Blanks.h"
#include "NameRules.h"

namespace brevane::db {

QString serverLogonConnectionString(const QString &server, const QString &login, const QString &password)
{
    return QLatin1String("Provider=SQLOLEDB.1;Password=") + trimBlanks(password)
        + QLatin1String(";Persist Security Info=True;User ID=") + trimBlanks(login)
        + QLatin1String(";Initial Catalog=master;Data Source=") + trimBlanks(server);
}

bool OpenServerConnection(std::unique_ptr<Connection> &conMaster, const QString &server, const QString &login,
    const QString &password, Failure *failure, int logonTimeoutSeconds)
{
    try {
        // The caller hands in a connection object; one that forgot gets a fresh one.
        if (!conMaster)
            conMaster = std::make_unique<Connection>();
        if (conMaster->State() == Connection::StateOpen)
            conMaster->Close();
        conMaster->setConnectionString(serverLogonConnectionString(server, login, password));
        conMaster->setConnectionTimeout(logonTimeoutSeconds);
        conMaster->setCursorLocation(Connection::UseClient);
        conMaster->Open();
        return true;
    } catch (const Failure &caught) {
        conMaster.reset();
        if (failure)
            *failure = caught;
    } catch (const std::exception &caught) {
        conMaster.reset();
        if (failure)
            *failure = Failure(FailureNumber::ConnectionFailed, QString::fromLocal8Bit(caught.what()));
    }
    return false;
}

} // namespace brevane::db
