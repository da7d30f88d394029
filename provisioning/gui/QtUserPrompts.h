#pragma once

#include "UserPrompts.h"

namespace brevane {

// The production side of UserPrompts: Qt's message boxes and file dialogs.
class QtUserPrompts : public UserPrompts
{
public:
    MessageAnswer message(QWidget *parent, const MessageRequest &request) override;
    std::optional<QString> saveFileName(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QString> openFileName(QWidget *parent, const FileDialogRequest &request) override;
};

} // namespace brevane
