#pragma once

#include "Engine.h"
#include "Messages.h"
#include "ResultSet.h"
#include "ServerVersion.h"

#include <QByteArray>
#include <QString>

namespace standin {

// Encodes TDS 7.2+ response tokens (little-endian except where the protocol says otherwise).
class TokenWriter
{
public:
    enum EnvChangeType : quint8 { Database = 1, Language = 2, PacketSize = 4, SqlCollation = 7 };

    void envChange(EnvChangeType type, const QString &newValue, const QString &oldValue);
    void collationChange();
    void message(const ServerMessage &message, const QString &serverName);
    void loginAck(quint32 tdsVersion, const ServerVersion &version = {});
    void done(DoneKind kind, quint16 status, quint16 command, quint64 count);
    void returnStatus(qint32 status);
    void columns(const QList<ResultColumn> &columns);
    void row(const QList<ResultColumn> &columns, const ResultRow &row);

    const QByteArray &data() const { return m_data; }
    QByteArray take();
    bool isEmpty() const { return m_data.isEmpty(); }

    // SQL_Latin1_General_CP1_CI_AS.
    static QByteArray defaultCollation();

private:
    void u8(quint8 value);
    void u16(quint16 value);
    void u32(quint32 value);
    void u64(quint64 value);
    void bVarchar(const QString &text);
    void usVarchar(const QString &text);
    void utf16(const QString &text);
    void variant(const QVariant &value);

    QByteArray m_data;
};

} // namespace standin
