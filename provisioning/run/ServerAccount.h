#pragma once

#include <QString>

#include <optional>
#include <sys/types.h>

namespace brevane::run {

class ServerFacts;

// The user account a server on this machine runs as, and what it may write:
// the server, not the program, creates the database's files.
class ServerAccount
{
public:
    // The account the server names for its engine, else the owner of the
    // server's own database files; nullopt when neither tells.
    static std::optional<ServerAccount> of(ServerFacts &facts);

    QString name() const { return m_name; }
    // Whether the account may create files in `folder` (its permission bits,
    // its groups, and a file system mounted read-only).
    bool mayCreateIn(const QString &folder) const;

private:
    ServerAccount(QString name, uid_t uid, gid_t gid)
        : m_name(std::move(name))
        , m_uid(uid)
        , m_gid(gid)
    { }

    QString m_name;
    uid_t m_uid;
    gid_t m_gid;
};

} // namespace brevane::run
