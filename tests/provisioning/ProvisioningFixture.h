#pragma once

#include "FakePlatform.h"
#include "RecordingPrompts.h"
#include "RunFixture.h"
#include "frmDBConnect.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <memory>

namespace brevane::test {

// The run fixture's program folder and SQL Server stand-in, with the main
// window opened on them (a test may remove the template backup, and writes
// ROOT/Connect.sys when it needs one).
class ProvisioningFixture
{
public:
    static constexpr const char *kPassword = RunFixture::kPassword;

    explicit ProvisioningFixture(QStringList serverOptions = {});
    ~ProvisioningFixture();

    bool ready() const { return m_ready; }
    QString error() const { return m_run.error(); }

    QString root() const { return m_run.root(); }
    QString programFolder() const { return m_run.programFolder(); }
    QString defaultBackup() const { return programFolder() + QStringLiteral("/../DB/rivazadUZ.Bak"); }
    QString dataFolder() const { return m_run.dataFolder(); }
    QString settingsFile() const { return m_run.settingsFile(); }

    // Writes a stand-in backup with the given logical and physical names.
    bool makeBackup(const QString &file, const QStringList &args) { return m_run.makeBackup(file, args); }

    frmDBConnect &window() { return *m_window; }
    // The run the window drives: its connection is the window's.
    run::ProvisioningRun &run() { return *m_windowRun; }
    RecordingPrompts &prompts() { return *m_prompts; }
    FakePlatform &platform() { return *m_platform; }
    hall::test::StandinProcess &server() { return m_run.server(); }

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
    // Presses the Restore button of the restore page.
    void pressRestore() { control<QPushButton>("cmdReStore")->click(); }

private:
    RunFixture m_run;
    std::shared_ptr<FakePlatform> m_platform;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::shared_ptr<run::ProvisioningRun> m_windowRun = std::make_shared<run::ProvisioningRun>();
    std::unique_ptr<frmDBConnect> m_window;
    bool m_ready = false;
};

} // namespace brevane::test
