#pragma once

#include "FakePlatform.h"
#include "RecordingPrompts.h"
#include "StandinProcess.h"
#include "frmDBConnect.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace brevane::test {

// A program folder laid out as the product ships it, a SQL Server stand-in
// serving it on a loopback port, and the main window opened on it:
//   ROOT/Brevane          the program's folder
//   ROOT/DB/rivazadUZ.Bak the template backup (unless a test removes it)
//   ROOT/Connect.sys      the settings file (when a test writes one)
//   ROOT/Data             a folder for new databases
class ProvisioningFixture
{
public:
    static constexpr const char *kPassword = "Secret#1";

    explicit ProvisioningFixture(QStringList serverOptions = {});
    ~ProvisioningFixture();

    bool ready() const { return m_ready; }
    QString error() const { return m_error; }

    QString root() const { return m_root.path(); }
    QString programFolder() const { return root() + QStringLiteral("/Brevane"); }
    QString defaultBackup() const { return programFolder() + QStringLiteral("/../DB/rivazadUZ.Bak"); }
    QString dataFolder() const { return root() + QStringLiteral("/Data"); }
    QString settingsFile() const { return root() + QStringLiteral("/Connect.sys"); }

    // Writes a stand-in backup with the given logical and physical names.
    bool makeBackup(const QString &file, const QStringList &args);

    frmDBConnect &window() { return *m_window; }
    RecordingPrompts &prompts() { return *m_prompts; }
    FakePlatform &platform() { return *m_platform; }
    hall::test::StandinProcess &server() { return *m_server; }

    template<typename T = QWidget> T *control(const char *name)
    {
        return m_window->findChild<T *>(QString::fromLatin1(name));
    }
    QLineEdit *field(const char *name) { return control<QLineEdit>(name); }
    bool onRestorePage() { return !control<QGroupBox>("FraRestore")->isHidden(); }

    // Fills the server page with the stand-in's address, the login and a password.
    void fillServerPage(const QString &password = QString::fromLatin1(kPassword));
    // Presses Next; a chooser window that opens meanwhile is handed to `chooser`.
    void pressNext(std::function<void(QWidget *chooser)> chooser = {});
    // Logs on and inspects the default backup: the restore page is in view afterwards.
    bool reachRestorePage();
    // Logs on and inspects backupFile, chosen in the backup chooser in place
    // of the default backup (which is removed).
    bool reachRestorePageWith(const QString &backupFile);
    // Picks the data folder through the folder chooser.
    void chooseFolder(const QString &folder);

private:
    QTemporaryDir m_root;
    std::shared_ptr<FakePlatform> m_platform;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::unique_ptr<hall::test::StandinProcess> m_server;
    std::unique_ptr<frmDBConnect> m_window;
    bool m_ready = false;
    QString m_error;
};

} // namespace brevane::test
