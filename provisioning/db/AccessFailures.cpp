#include "AccessFailures.h"

namespace brevane::db::AccessFailure {

QString text(qint32 number)
{
    switch (number) {
    case InvalidArgument:
        return QStringLiteral(
            "Arguments are of the wrong type, are out of acceptable range, or are in conflict "
            "with one another.");
    case FailureNumber::NoCurrentRecord:
        return QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. Requested "
                              "operation requires a current record.");
    case ItemNotFound:
        return QStringLiteral("Item cannot be found in the collection corresponding to the requested name or "
                              "ordinal.");
    case ObjectClosed:
        return QStringLiteral("Operation is not allowed when the object is closed.");
    case ObjectOpen:
        return QStringLiteral("Operation is not allowed when the object is open.");
    case ProviderNotFound:
        return QStringLiteral("Provider cannot be found. It may not be properly installed.");
    case ConnectionUnusable:
        return QStringLiteral(
            "The connection cannot be used to perform this operation. It is either closed or "
            "invalid in this context.");
    default:
        return {};
    }
}

Failure make(qint32 number, const QString &source)
{
    return Failure(number, text(number), source);
}

} // namespace brevane::db::AccessFailure
