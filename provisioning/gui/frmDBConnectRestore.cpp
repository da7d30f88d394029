// Create database: the restore of the template under the new name, and the
// connection settings written afterwards.
#include "Blanks.h"
#include "BusyCursor.h"
#include "Connection.h"
#include "Failure.h"
#include "MessageTable.h"
#include "NameRules.h"
#include "Platform.h"
#include "RestoreResult.h"
#include "SecretText.h"
#include "UserPrompts.h"
#include "frmDBConnect.h"
#include "ui_frmDBConnect.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace brevane {

using namespace brevane::run;

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

} // namespace

void frmDBConnect::cmdReStore_Click()
{
    try {
        if (ui->txtNewPath->text().isEmpty()) {
            showMessage(this, GetMessageText(1051), GetMessageText(100));
            ui->cmdPath->setFocus(Qt::OtherFocusReason);
            return;
        }
        if (!Platform::current().pathListed(ui->txtNewPath->text())) {
            showMessage(
                this, GetMessageText(1052) + kLineBreak + ui->txtNewPath->text(), GetMessageText(100));
            ui->cmdPath->setFocus(Qt::OtherFocusReason);
            return;
        }
        // A name the field would refuse never reaches the server.
        if (refuseDatabaseName(trimBlanks(ui->txtDBName->text())))
            return;

        // A connection released after its link was lost logs on again first,
        // with the values the server page holds now.
        if (!m_run->isLoggedOn()) {
            if (!OpenServerConnection(
                    ui->CmbSQLServer->currentText(), ui->txtUserID->text(), ui->txtPws->text()))
                return;
        }

        ui->txtDBName->setEnabled(false);
        qint16 result = AlreadyReported;
        {
            BusyCursor busy;
            const QString name = ui->txtDBName->text();
            const QString logicalData = ui->txtLogName_Data->text();
            const QString logicalLog = ui->txtLogName_Log->text();
            const QString physicalData = ui->txtFileName_Data->text();
            const QString physicalLog = ui->txtFileName_Log->text();
            result = RestoreDatabase(
                m_state.strBackupFile, name, logicalData, logicalLog, physicalData, physicalLog);
        }

        switch (result) {
        case Restored:
            SaveConnectionSettings(ui->txtDBName->text());
            clearPassword();
            ui->txtDBName->setEnabled(true);
            ui->FraRestore->hide();
            showMessage(this, GetMessageText(10042), GetMessageText(100));
            m_run->release();
            close();
            QCoreApplication::exit(0);
            return;
        case BackupMissing:
            showMessage(this, GetMessageText(1046) + kLineBreak + m_state.strBackupFile, GetMessageText(100));
            break;
        case ReservedDevice:
            showMessage(this, GetMessageText(2008), GetMessageText(100));
            break;
        case DatabaseExists:
            showMessage(this, GetMessageText(1054) + kLineBreak + ui->txtDBName->text(), GetMessageText(100));
            break;
        default:
            break;
        }
        ui->txtDBName->setEnabled(true);
    } catch (const Failure &failure) {
        ui->txtDBName->setEnabled(true);
        showMessage(this, failure.numberFirst(), QString());
    }
}

qint16 frmDBConnect::RestoreDatabase(const QString &backupFile, const QString &databaseName,
    const QString &logicalData, const QString &logicalLog, const QString &physicalData,
    const QString &physicalLog)
{
    const RestoreRequest request { .backupFile = backupFile,
        .databaseName = databaseName,
        .logicalData = logicalData,
        .logicalLog = logicalLog,
        .physicalData = physicalData,
        .physicalLog = physicalLog,
        .moreMoves = {} };
    try {
        return restoreResultFor(m_run->restore(request));
    } catch (const Failure &failure) {
        showMessage(this, failure.descriptionFirst(), QString());
    }
    return AlreadyReported;
}

void frmDBConnect::SaveConnectionSettings(const QString &databaseName)
{
    try {
        ConnectionSettings settings { ui->CmbSQLServer->currentText(), ui->txtUserID->text(),
            ui->txtPws->text(), databaseName };
        const auto forget = qScopeGuard([&] { wipeSecret(settings.password); });
        ProvisioningRun::writeSettings(
            ProvisioningRun::defaultSettingsFile(Platform::current().programFolder()), settings);
    } catch (const Failure &failure) {
        showMessage(this, failure.numberFirst(), QStringLiteral("保存参数出错"));
    }
}

} // namespace brevane
