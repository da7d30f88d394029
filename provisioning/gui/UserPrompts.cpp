#include "UserPrompts.h"

#include "BusyCursor.h"
#include "QtUserPrompts.h"

#include <QGuiApplication>

namespace brevane {

namespace {

std::shared_ptr<UserPrompts> &installed()
{
    static std::shared_ptr<UserPrompts> prompts = std::make_shared<QtUserPrompts>();
    return prompts;
}

} // namespace

UserPrompts &UserPrompts::current()
{
    return *installed();
}

void UserPrompts::setCurrent(std::shared_ptr<UserPrompts> prompts)
{
    installed() = prompts ? std::move(prompts) : std::make_shared<QtUserPrompts>();
}

QString programTitle()
{
    const QString name = QGuiApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Brevane") : name;
}

MessageAnswer showMessage(
    QWidget *parent, const QString &text, const QString &title, MessageButtons buttons, MessageIcon icon)
{
    MessageRequest request;
    request.text = text;
    request.title = title.isEmpty() ? programTitle() : title;
    request.buttons = buttons;
    request.icon = icon;
    BusyCursor::restoreAll();
    return UserPrompts::current().message(parent, request);
}

} // namespace brevane
