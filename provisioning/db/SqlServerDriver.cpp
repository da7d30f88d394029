#include "SqlServerDriver.h"

#include "OdbcHandle.h"

#include <QFileInfo>

#include <algorithm>

namespace brevane::db {

std::optional<SqlServerDriver> SqlServerDriver::choose(const QStringList &registeredDrivers)
{
    struct Preference
    {
        Kind kind;
        QLatin1StringView name;
    };
    static constexpr Preference order[] = {
        { Kind::MicrosoftOdbc18, QLatin1StringView("ODBC Driver 18 for SQL Server") },
        { Kind::MicrosoftOdbc17, QLatin1StringView("ODBC Driver 17 for SQL Server") },
        { Kind::FreeTds, QLatin1StringView("FreeTDS") },
    };
    for (const Preference &preference : order) {
        for (const QString &name : registeredDrivers) {
            if (name.compare(preference.name, Qt::CaseInsensitive) == 0)
                return SqlServerDriver { preference.kind, name };
        }
    }
    return std::nullopt;
}

QStringList SqlServerDriver::registered()
{
    QStringList names;
    OdbcHandle env = OdbcHandle::environment();
    if (!env)
        return names;

    SQLWCHAR description[512];
    SQLWCHAR attributes[2048];
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    // The driver manager lists each registered driver once; the bound guards
    // against one that never says it is done.
    for (int guard = 0; guard < 4096; ++guard) {
        SQLSMALLINT descriptionLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc
            = SQLDriversW(env.get(), direction, description, SQLSMALLINT(std::size(description)),
                &descriptionLength, attributes, SQLSMALLINT(std::size(attributes)), &attributesLength);
        if (!SQL_SUCCEEDED(rc))
            break;
        const qsizetype length
            = std::clamp<qsizetype>(descriptionLength, 0, qsizetype(std::size(description)) - 1);
        names.append(QString::fromUtf16(reinterpret_cast<const char16_t *>(description), length));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

std::optional<SqlServerDriver> SqlServerDriver::find()
{
    if (auto driver = choose(registered()))
        return driver;

    // FreeTDS installed without being registered with the driver manager:
    // the driver manager also loads a driver given by its library path.
    static const char *const libraries[] = {
        "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so",
        "/usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so",
        "/usr/lib/odbc/libtdsodbc.so",
        "/usr/lib64/libtdsodbc.so",
        "/usr/local/lib/libtdsodbc.so",
    };
    for (const char *library : libraries) {
        const QString path = QString::fromLatin1(library);
        if (QFileInfo::exists(path))
            return SqlServerDriver { Kind::FreeTds, path };
    }
    return std::nullopt;
}

} // namespace brevane::db
