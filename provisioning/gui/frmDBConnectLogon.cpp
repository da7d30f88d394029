// Next: the log-on and the inspection of the template backup.
#include "BusyCursor.h"
#include "Connection.h"
#include "Dialog.h"
#include "Failure.h"
#include "MessageTable.h"
#include "Platform.h"
#include "ProgramState.h"
#include "ServerLogon.h"
#include "Statements.h"
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
    try {
        if (!conMaster)
            conMaster = std::make_unique<db::Connection>();
    } catch (const Failure &failure) {
        // The database access layer itself is unusable (no driver manager).
        showMessage(this, failure.numberFirst(), GetMessageText(101));
        return;
    }
    if (OpenServerConnection(conMaster, server, login, password)) {
        ReadBackupFileList();
    } else {
        showMessage(this, GetMessageText(1045), GetMessageText(100));
    }
}

bool frmDBConnect::OpenServerConnection(std::unique_ptr<db::Connection> &connection, const QString &server,
                                        const QString &login, const QString &password)
{
    bool opened = false;
    {
        BusyCursor busy;
        opened = db::OpenServerConnection(connection, server, login, password);
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
    strBackupFile = platform.programFolder() + QStringLiteral("/../DB/rivazadUZ") + QStringLiteral(".Bak");
    if (!platform.ordinaryFileExists(strBackupFile)) {
        {
            Dialog chooser(this);
            chooser.exec();
        }
        if (strBackupFile.isEmpty())
            return;
        if (!platform.ordinaryFileExists(strBackupFile)) {
            showMessage(this, GetMessageText(1046) + kLineBreak + strBackupFile, GetMessageText(100));
            return;
        }
    }

    try {
        strSqlText = Statements::fileList(strBackupFile);
        if (!conMaster)
            conMaster = std::make_unique<db::Connection>();
        BusyCursor busy;
        db::Recordset files = conMaster->Execute(strSqlText);
        busy.restore();
        if (files.RecordCount() > 0) {
            files.MoveFirst();
            ui->txtLogName_Data->setText(files.Fields(0));
            const QString logicalData = ui->txtLogName_Data->text();
            if (logicalData.size() > 5)
                ui->txtDBName->setText(logicalData.left(logicalData.size() - 5));
            ui->txtFileName_Data->setText(files.Fields(1));
            files.MoveNext();
            ui->txtLogName_Log->setText(files.Fields(0));
            ui->txtFileName_Log->setText(files.Fields(1));
        }
        ui->txtNewPath->setText(QString());
        ui->FraRestore->show();
    } catch (const Failure &failure) {
        if (failure.number() == FailureNumber::ConnectionFailed)
            conMaster.reset();
        if (failure.number() == FailureNumber::ServerStatementError) {
            showMessage(this, GetMessageText(1047) + kLineBreak + kLineBreak + strBackupFile, GetMessageText(101));
        } else {
            showMessage(this, failure.descriptionFirst(), QString());
        }
    }
}

} // namespace brevane
