#pragma once

#include "ProgramState.h"
#include "ProvisioningRun.h"

#include <QWidget>

#include <memory>

namespace Ui {
class frmDBConnect;
}

namespace brevane {

// The program's main window: the server page (log-on) and, over it, the
// restore page (name, folder, create). Each handler is named after its
// control and event; the routines keep the names the product has always
// used for them. The handlers read the fields, leave the run itself to
// ProvisioningRun and show its results and failures.
class frmDBConnect : public QWidget
{
    Q_OBJECT

public:
    // `provisioningRun` is the run the window drives, with its single server
    // connection; whoever passes it may follow the run's state through it.
    explicit frmDBConnect(QWidget *parent = nullptr,
        std::shared_ptr<run::ProvisioningRun> provisioningRun = std::make_shared<run::ProvisioningRun>());
    ~frmDBConnect() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Start-up and Exit.
    void Form_Load();
    void cmdExit_Click();

    // Next: log on, then inspect the template backup.
    void cmdCreateDB_Click();
    void ReadBackupFileList();

    // The database-name field.
    void txtDBName_Change();
    void txtDBName_LostFocus();

    // The folder chooser.
    void cmdPath_Click();

    // Create database.
    void cmdReStore_Click();

    bool OpenServerConnection(const QString &server, const QString &login, const QString &password);
    qint16 RestoreDatabase(const QString &backupFile, const QString &databaseName, const QString &logicalData,
        const QString &logicalLog, const QString &physicalData, const QString &physicalLog);
    void SaveConnectionSettings(const QString &databaseName);
    // Overwrites and empties the password field once nothing needs it any more.
    void clearPassword();
    // Shows the message of a broken name rule and gives the field back its focus; false when the name passes.
    bool refuseDatabaseName(const QString &name);

    std::unique_ptr<Ui::frmDBConnect> ui;
    // The run and its server connection (the product's conMaster).
    std::shared_ptr<run::ProvisioningRun> m_run;
    ProgramState m_state;
    bool m_checkingName = false;
};

} // namespace brevane
