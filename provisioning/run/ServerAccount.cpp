#include "ServerAccount.h"

#include "ServerFacts.h"

#include <QFile>
#include <QList>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace brevane::run {

namespace {

bool inGroups(const QString &name, gid_t primary, gid_t wanted)
{
    if (primary == wanted)
        return true;
    int count = 64;
    QList<gid_t> groups(count);
    const QByteArray user = name.toLocal8Bit();
    if (::getgrouplist(user.constData(), primary, groups.data(), &count) < 0) {
        groups.resize(count);
        if (::getgrouplist(user.constData(), primary, groups.data(), &count) < 0)
            return false;
    }
    groups.resize(count);
    return groups.contains(wanted);
}

} // namespace

std::optional<ServerAccount> ServerAccount::of(ServerFacts &facts)
{
    if (const auto account = facts.serviceAccount()) {
        if (const passwd *user = ::getpwnam(account->toLocal8Bit().constData()))
            return ServerAccount(*account, user->pw_uid, user->pw_gid);
    }
    for (const QString &file : facts.serverFiles()) {
        struct stat info = {};
        if (::stat(QFile::encodeName(file).constData(), &info) != 0)
            continue;
        if (const passwd *user = ::getpwuid(info.st_uid))
            return ServerAccount(QString::fromLocal8Bit(user->pw_name), user->pw_uid, user->pw_gid);
        return ServerAccount(QString::number(info.st_uid), info.st_uid, info.st_gid);
    }
    return std::nullopt;
}

bool ServerAccount::mayCreateIn(const QString &folder) const
{
    const QByteArray path = QFile::encodeName(folder);
    struct statvfs volume = {};
    if (::statvfs(path.constData(), &volume) == 0 && (volume.f_flag & ST_RDONLY))
        return false;
    // The kernel's own answer where the account is this process's.
    if (m_uid == ::geteuid())
        return ::access(path.constData(), W_OK | X_OK) == 0;
    struct stat info = {};
    if (::stat(path.constData(), &info) != 0)
        return false;
    if (m_uid == 0)
        return true;
    if (info.st_uid == m_uid)
        return (info.st_mode & (S_IWUSR | S_IXUSR)) == (S_IWUSR | S_IXUSR);
    if (inGroups(m_name, m_gid, info.st_gid))
        return (info.st_mode & (S_IWGRP | S_IXGRP)) == (S_IWGRP | S_IXGRP);
    return (info.st_mode & (S_IWOTH | S_IXOTH)) == (S_IWOTH | S_IXOTH);
}

} // namespace brevane::run
