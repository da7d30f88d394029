#pragma once

#include "Catalogue.h"
#include "Messages.h"
#include "ResultSet.h"
#include "ServerVersion.h"
#include "SqlStatement.h"

#include <optional>

namespace standin {

enum class DoneKind { Done, DoneProc, DoneInProc };

namespace DoneStatus {
constexpr quint16 Final = 0x0000;
constexpr quint16 More = 0x0001;
constexpr quint16 Error = 0x0002;
constexpr quint16 Count = 0x0010;
constexpr quint16 Attention = 0x0020;
} // namespace DoneStatus

namespace CurrentCommand {
constexpr quint16 None = 0x0000;
constexpr quint16 Select = 0x00C1;
constexpr quint16 Execute = 0x00E0;
} // namespace CurrentCommand

// Where the answer to a batch goes. The session turns these calls into TDS tokens; tests record them.
class ResponseSink
{
public:
    enum class Progress { Continue, Cancelled, Dropped };

    virtual ~ResponseSink() = default;
    virtual void message(const ServerMessage &message) = 0;
    virtual void columns(const QList<ResultColumn> &columns) = 0;
    virtual void row(const ResultRow &row) = 0;
    virtual void returnStatus(qint32 status) = 0;
    virtual void done(DoneKind kind, quint16 status, quint16 command, quint64 count) = 0;
    // An ENVCHANGE of this type (2: language), for a SET that changes the session's environment.
    virtual void environmentChange(quint8 type, const QString &newValue, const QString &oldValue)
    {
        Q_UNUSED(type);
        Q_UNUSED(newValue);
        Q_UNUSED(oldValue);
    }
    // Called after each file a restore has processed: sends what is buffered so the client sees
    // progress, and looks for an attention. Cancelled or Dropped stops the restore.
    virtual Progress restoreProgress() = 0;
    // Between progress messages of a restore WITH STATS: sends what is buffered, then spends this
    // share of the batch's slow-down (the delay fault), watching for an attention meanwhile.
    virtual Progress pause(double share)
    {
        Q_UNUSED(share);
        return restoreProgress();
    }
};

struct SessionOptions;

// What a batch runs with besides its text: the connection's SET options and, for a remote procedure
// call, the values of its parameters.
struct BatchContext
{
    SessionOptions *options = nullptr;
    const BoundParameters *parameters = nullptr;
};

// Runs batches against the catalogue, answering as SQL Server does. Sessions run their batches side by
// side: only each look at or change of the catalogue takes its lock, never the answer's sending.
class Engine
{
public:
    enum class Outcome { Completed, Cancelled, Dropped };

    explicit Engine(Catalogue &catalogue, ServerIdentity server = {});

    Outcome executeBatch(const QString &batch, ResponseSink &sink, const BatchContext &context = {});
    // Whether the batch restores WITH STATS, so a slowed answer is spread over its progress messages
    // instead of coming all at once.
    static bool reportsProgress(const QString &batch);
    // The database's name as the catalogue spells it, when it exists.
    std::optional<QString> databaseName(const QString &name);

private:
    Catalogue &m_catalogue;
    const ServerIdentity m_server;
};

} // namespace standin
