// The database-name field: the physical file names follow the name, and a
// name that breaks the naming rule is refused when the field is left.
#include "Blanks.h"
#include "MessageTable.h"
#include "NameRules.h"
#include "UserPrompts.h"
#include "frmDBConnect.h"
#include "ui_frmDBConnect.h"

namespace brevane {

void frmDBConnect::txtDBName_Change()
{
    const QString dataFile = ui->txtFileName_Data->text();
    const qsizetype folderLength = lastSeparatorPosition(dataFile);
    if (folderLength == 0)
        return;
    const QString name = ui->txtDBName->text();
    ui->txtFileName_Data->setText(dataFile.left(folderLength) + name + QStringLiteral(".Mdf"));
    ui->txtFileName_Log->setText(
        ui->txtFileName_Log->text().left(folderLength) + name + QStringLiteral("_Log.Ldf"));
}

void frmDBConnect::txtDBName_LostFocus()
{
    const QString trimmed = trimBlanks(ui->txtDBName->text());
    if (trimmed != ui->txtDBName->text())
        ui->txtDBName->setText(trimmed);
    refuseDatabaseName(trimmed);
}

bool frmDBConnect::refuseDatabaseName(const QString &name)
{
    const NameCheck check = checkDatabaseName(name);
    if (check.kind == NameCheck::Passed)
        return false;
    // The box and the focus moving back must not count as leaving the field again.
    m_checkingName = true;
    if (check.kind == NameCheck::FirstNotLetter) {
        showMessage(this, GetMessageText(10047), GetMessageText(100));
    } else {
        showMessage(this, GetMessageText(10046) + QStringLiteral("  '") + check.character + QLatin1Char('\''),
            GetMessageText(100));
    }
    ui->txtDBName->setFocus(Qt::OtherFocusReason);
    // Home, then Shift+End: the whole text is selected.
    ui->txtDBName->home(false);
    ui->txtDBName->end(true);
    m_checkingName = false;
    return true;
}

} // namespace brevane
