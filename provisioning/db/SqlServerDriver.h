#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace brevane::db {

// An ODBC driver able to reach SQL Server, as named to the driver manager.
struct SqlServerDriver
{
    enum class Kind { MicrosoftOdbc18, MicrosoftOdbc17, FreeTds };

    Kind kind;
    QString name; // the value of DRIVER=: a registered name or the library's path

    // The preferred driver among the registered names: Microsoft's driver 18,
    // then 17, then FreeTDS.
    static std::optional<SqlServerDriver> choose(const QStringList &registeredDrivers);

    // The registered driver names, as the driver manager lists them.
    static QStringList registered();

    // What Connection::Open uses: the preferred registered driver, else a
    // FreeTDS library found at one of its usual places.
    static std::optional<SqlServerDriver> find();
};

} // namespace brevane::db
