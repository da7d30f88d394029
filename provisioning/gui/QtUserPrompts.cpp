#include "QtUserPrompts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace brevane {

namespace {

QMessageBox::Icon toQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString toQtFilter(const QString &filter)
{
    if (filter.isEmpty())
        return QString();
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    // A filter given as a description only stands for every file.
    if (open < 0 || close < open)
        return filter + QStringLiteral(" (*)");
    // "*.*" means every file, also one whose name has no dot; Qt would take
    // it literally and hide such names.
    QStringList patterns = filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString &pattern : patterns) {
        if (pattern == QStringLiteral("*.*"))
            pattern = QStringLiteral("*");
    }
    return filter.left(open + 1) + patterns.join(QLatin1Char(' ')) + filter.mid(close);
}

namespace {

// Qt's own dialog on every desktop: its filter list can show the request's
// caption while it filters by the Qt pattern.
QFileDialog::Options toQtOptions(const FileDialogRequest &request)
{
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    if (!request.confirmOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    return options;
}

// A dialog for request, with its filter list showing the request's caption
// ("*.*") while it filters by the Qt pattern ("*").
void prepareDialog(QFileDialog &dialog, const FileDialogRequest &request)
{
    dialog.setOptions(toQtOptions(request));
    const QString qtFilter = toQtFilter(request.filter);
    if (qtFilter.isEmpty())
        return;
    dialog.setNameFilter(qtFilter);
    auto captions = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    if (captions && captions->count() == 1 && qtFilter != request.filter)
        captions->setItemText(0, request.filter);
}

} // namespace

MessageAnswer QtUserPrompts::message(QWidget *parent, const MessageRequest &request)
{
    // Texts carry CR LF line breaks; Qt breaks lines at LF alone.
    QString text = request.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(toQtIcon(request.icon), request.title, text, QMessageBox::NoButton, parent);
    if (request.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (request.buttons == MessageButtons::YesNo)
        return result == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    return MessageAnswer::Ok;
}

std::optional<QString> QtUserPrompts::saveFileName(QWidget *parent, const FileDialogRequest &request)
{
    QString start = request.fileName;
    if (!request.initialDir.isEmpty())
        start = request.initialDir + QLatin1Char('/') + request.fileName;
    QFileDialog dialog(parent, request.title, start);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Choosing an existing file asks before it is taken, unless the request says otherwise.
    prepareDialog(dialog, request);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty() || chosen.first().isEmpty())
            return std::nullopt;
        const QFileInfo file(chosen.first());
        if (!request.pathMustExist || file.absoluteDir().exists())
            return chosen.first();
        // The folder must exist: say so and let the user choose again.
        QMessageBox::warning(&dialog, request.title,
            QCoreApplication::translate("QFileDialog",
                "%1\nDirectory not found.\nPlease verify the "
                "correct directory name was given.")
                .arg(file.absolutePath()));
        dialog.selectFile(file.fileName());
    }
}

std::optional<QString> QtUserPrompts::openFileName(QWidget *parent, const FileDialogRequest &request)
{
    QString start = request.initialDir;
    if (!request.fileName.isEmpty())
        start = request.initialDir.isEmpty() ? request.fileName
                                             : request.initialDir + QLatin1Char('/') + request.fileName;
    // Unless the request says otherwise, the open dialog also takes the name
    // of a file that does not exist; the caller checks the path itself.
    QFileDialog dialog(parent, request.title, start);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    prepareDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

} // namespace brevane
