#include "QtUserPrompts.h"

#include <QFileDialog>
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

// Qt's name filters need a pattern; a filter given as a description only
// stands for every file.
QString toQtFilter(const QString &filter)
{
    if (filter.isEmpty())
        return QString();
    if (filter.contains(QLatin1Char('(')) && filter.contains(QLatin1Char(')')))
        return filter;
    return filter + QStringLiteral(" (*)");
}

QFileDialog::Options toQtOptions(const FileDialogRequest &request)
{
    QFileDialog::Options options;
    if (!request.confirmOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    return options;
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
    const QString chosen = QFileDialog::getSaveFileName(parent, request.title, start, toQtFilter(request.filter),
                                                        nullptr, toQtOptions(request));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

std::optional<QString> QtUserPrompts::openFileName(QWidget *parent, const FileDialogRequest &request)
{
    QString start = request.initialDir;
    if (!request.fileName.isEmpty())
        start = request.initialDir.isEmpty() ? request.fileName : request.initialDir + QLatin1Char('/') + request.fileName;
    // Unless the request says otherwise, the open dialog also takes the name
    // of a file that does not exist; the caller checks the path itself.
    QFileDialog dialog(parent, request.title, start, toQtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOptions(toQtOptions(request));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

} // namespace brevane
