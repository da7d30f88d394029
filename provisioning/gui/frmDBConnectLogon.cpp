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

using namespace brevane::run;

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
        opened = m_run->logOn(server, login, password);
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
    m_state.strBackupFile = ProvisioningRun::defaultBackupFile(platform.programFolder());
    if (!platform.ordinaryFileExists(m_state.strBackupFile)) {
        m_state.strBackupFile = Dialog::chooseBackupFile(this, m_state.strBackupFile);
        if (m_state.strBackupFile.isEmpty())
            return;
        if (!platform.ordinaryFileExists(m_state.strBackupFile)) {
            showMessage(this, GetMessageText(1046) + kLineBreak + m_state.strBackupFile, GetMessageText(100));
            return;
        }
    }

    try {
        BusyCursor busy;
        // By position: row 1 is the data file and row 2 the log; further rows are not read.
        const BackupFileList files = m_run->readBackupFileList(m_state.strBackupFile);
        busy.restore();
        if (!files.files().isEmpty()) {
            ui->txtLogName_Data->setText(files.data().logicalName);
            if (const auto name = proposedDatabaseName(ui->txtLogName_Data->text()))
                ui->txtDBName->setText(*name);
            ui->txtFileName_Data->setText(files.data().physicalName);
            // Without row 2 there is no current row to read.
            if (!files.hasDataAndLog())
                throw db::AccessFailure::make(FailureNumber::NoCurrentRecord, QStringLiteral("Recordset"));
            ui->txtLogName_Log->setText(files.log().logicalName);
            ui->txtFileName_Log->setText(files.log().physicalName);
        }
        ui->txtNewPath->setText(QString());
        ui->FraRestore->show();
    } catch (const Failure &failure) {
        if (failure.number() == FailureNumber::ServerStatementError) {
            showMessage(this, GetMessageText(1047) + kLineBreak + kLineBreak + m_state.strBackupFile,
                GetMessageText(101));
        } else {
            showMessage(this, failure.descriptionFirst(), QString());
        }
    }
}

} // namespace brevane
