#pragma once

#include "StandinProcess.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace brevane::test {

// A SQL Server stand-in on a loopback port and a program folder laid out as
// the product ships it, without any window:
//   ROOT/Brevane          the program's folder
//   ROOT/DB/rivazadUZ.Bak the template backup
//   ROOT/Data             a folder for new databases
class RunFixture
{
public:
    static constexpr const char *kPassword = "Secret#1";

    explicit RunFixture(QStringList serverOptions = {});

    bool ready() const { return m_ready; }
    QString error() const { return m_error; }

    QString root() const { return m_root.path(); }
    QString programFolder() const { return root() + QStringLiteral("/Brevane"); }
    QString defaultBackup() const { return root() + QStringLiteral("/DB/rivazadUZ.Bak"); }
    QString dataFolder() const { return root() + QStringLiteral("/Data"); }
    QString settingsFile() const { return root() + QStringLiteral("/Connect.sys"); }
    QString serverText() const { return QStringLiteral("127.0.0.1,%1").arg(m_server->port()); }

    hall::test::StandinProcess &server() { return *m_server; }
    // Writes a stand-in backup; false (with error()) on failure.
    bool makeBackup(const QString &file, const QStringList &args);
    // The statements that change something: device and restore statements.
    QStringList changingStatements() const;
    // Waits up to 30 s for the last statement the stand-in received to contain `fragment`.
    bool waitForStatement(const QString &fragment);

private:
    QTemporaryDir m_root;
    std::unique_ptr<hall::test::StandinProcess> m_server;
    bool m_ready = false;
    QString m_error;
};

} // namespace brevane::test
