// The folder chooser of the restore page.
#include "Blanks.h"
#include "FilePlacement.h"
#include "MessageTable.h"
#include "NameRules.h"
#include "Platform.h"
#include "UserPrompts.h"
#include "frmDBConnect.h"
#include "ui_frmDBConnect.h"

namespace brevane {

using namespace brevane::run;

void frmDBConnect::cmdPath_Click()
{
    ui->txtDBName->setText(trimBlanks(ui->txtDBName->text()));

    FileDialogRequest request;
    request.confirmOverwrite = true; // Flags 2050: prompt before overwriting, path must exist
    request.pathMustExist = true;
    request.fileName = ui->txtDBName->text();
    request.title = GetMessageText(1048);
    request.filter = QStringLiteral("Sql Server Database (*.mdf)");

    QString chosen;
    for (;;) {
        const std::optional<QString> answer = UserPrompts::current().saveFileName(this, request);
        // Cancelling leaves the folder and the file names as they were.
        if (!answer)
            return;
        chosen = *answer;
        request.fileName = chosen;
        const QString windowsDirectory = Platform::current().windowsDirectory();
        if (windowsDirectory.left(2) != chosen.left(2))
            break;
        const QString question = GetMessageText(1049) + QStringLiteral("\r\n") + GetMessageText(1050)
            + QStringLiteral("\r\n") + chosen;
        if (showMessage(this, question, GetMessageText(100), MessageButtons::YesNo) != MessageAnswer::Yes)
            break;
    }

    const qsizetype separatorPosition = lastSeparatorPosition(chosen);
    QString folder = separatorPosition > 0 ? chosen.left(separatorPosition - 1) : chosen;
    // The file names use the separator the chosen path uses.
    const QChar separator = separatorPosition > 0 ? chosen.at(separatorPosition - 1) : QLatin1Char('\\');
    QString folderPrefix = folder + separator;
    // A file in the root folder "/" lies in "/", which the text before the
    // separator would leave empty.
    if (folder.isEmpty() && separator == QLatin1Char('/')) {
        folder = QStringLiteral("/");
        folderPrefix = folder;
    }
    ui->txtNewPath->setText(folder);
    const QString name = ui->txtDBName->text();
    ui->txtFileName_Data->setText(folderPrefix + FilePlacement::dataFileName(name));
    ui->txtFileName_Log->setText(folderPrefix + FilePlacement::logFileName(name));
}

} // namespace brevane
