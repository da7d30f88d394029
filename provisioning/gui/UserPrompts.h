#pragma once

#include <QString>

#include <memory>
#include <optional>

class QWidget;

namespace brevane {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Question, Warning, Critical };
enum class MessageAnswer { Ok, Yes, No };

// A message box as a window asks for it. An empty title stands for the
// program's own title.
struct MessageRequest
{
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
};

// The settings of a save or open file dialog, named as the windows set them.
struct FileDialogRequest
{
    QString title; // DialogTitle
    QString filter; // Filter: a description, possibly with a pattern in parentheses
    QString initialDir; // InitDir; empty: the dialog's own choice
    QString fileName; // FileName preset
    bool confirmOverwrite = true; // Flags 2: prompt before overwriting
    bool pathMustExist = true; // Flags 2048: the folder must exist
    bool fileMustExist = false; // Flags 4096: an open dialog takes only an existing file
};

// Every question a window puts to the user goes through this interface, so
// that tests can answer it. The program installs the Qt implementation.
class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    virtual MessageAnswer message(QWidget *parent, const MessageRequest &request) = 0;
    // The chosen file's full path, or nullopt when the user cancelled.
    virtual std::optional<QString> saveFileName(QWidget *parent, const FileDialogRequest &request) = 0;
    virtual std::optional<QString> openFileName(QWidget *parent, const FileDialogRequest &request) = 0;

    static UserPrompts &current();
    static void setCurrent(std::shared_ptr<UserPrompts> prompts);
};

// The program's title, shown on message boxes that have no title of their own.
QString programTitle();

// Shorthands for the boxes the windows show.
MessageAnswer showMessage(QWidget *parent, const QString &text, const QString &title,
    MessageButtons buttons = MessageButtons::Ok, MessageIcon icon = MessageIcon::None);

} // namespace brevane
