// Next: the log-on and the inspection of the template backup.
#include "AccessFailures.h"
#include "BusyCursor.h"
#include "Dialog.h"
#include "Failure.h"
#include "MessageTable.h"
#include "Platform.h"
#include "ProgramState.h"
#include "UserPrompts.h"
#include "frmDBConnect.h"
#include "ui_frmDBConnect.h"

namespace brevane {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

} // namespace

void frmDBConnect::cmdCreateDB_Click()
{
    const QString server = ui->CmbSQLServer->currentText();
    const QString login = ui->txtUserID->text();
    const QString password = ui->txtPws->text();
    if (OpenServerConnection(server, login, password)) {
        ReadBackupFileList();
    } else {
        showMessage(this, GetMessageText(1045), GetMessageText(100));
    }
}

bool frmDBConnect::OpenServerConnection(const QString &server, const QString &login, const QString &password)
{
    bool opened = false;
    {
        BusyCursor busy;
        opened = m_run.logOn(server, login, password);
    }
    if (!opened) {
        showMessage(this, GetMessageText(101) + kLineBreak + GetMessageText(1012), GetMessageText(1013),
            MessageButtons::Ok, MessageIcon::Information);
    }
    return opened;
}

void frmDBConnect::ReadBackupFileList()
{
    ui->FraRestore->hide();
    const Platform &platform = Platform::current();
    strBackupFile = ProvisioningRun::defaultBackupFile(platform.programFolder());
    if (!platform.ordinaryFileExists(strBackupFile)) {
        strBackupFile = Dialog::chooseBackupFile(this, strBackupFile);
        if (strBackupFile.isEmpty())
            return;
        if (!platform.ordinaryFileExists(strBackupFile)) {
            showMessage(this, GetMessageText(1046) + kLineBreak + strBackupFile, GetMessageText(100));
            return;
        }
    }

    try {
        BusyCursor busy;
        const QList<BackupFile> files = m_run.readBackupFileList(strBackupFile).files();
        busy.restore();
        if (!files.isEmpty()) {
            ui->txtLogName_Data->setText(files.at(0).logicalName);
            if (const auto name = proposedDatabaseName(ui->txtLogName_Data->text()))
                ui->txtDBName->setText(*name);
            ui->txtFileName_Data->setText(files.at(0).physicalName);
            // Row 2 is the log file; without it there is no current row to read.
            if (files.size() < 2)
                throw db::AccessFailure::make(FailureNumber::NoCurrentRecord, QStringLiteral("Recordset"));
            ui->txtLogName_Log->setText(files.at(1).logicalName);
            ui->txtFileName_Log->setText(files.at(1).physicalName);
        }
        ui->txtNewPath->setText(QString());
        ui->FraRestore->show();
    } catch (const Failure &failure) {
        if (failure.number() == FailureNumber::ServerStatementError) {
            showMessage(
                this, GetMessageText(1047) + kLineBreak + kLineBreak + strBackupFile, GetMessageText(101));
        } else {
            showMessage(this, failure.descriptionFirst(), QString());
        }
    }
}

} // namespace brevane
