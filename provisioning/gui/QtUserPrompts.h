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

// The Qt name filter for a dialog filter: a description alone stands for
// every file, and the pattern "*.*" becomes "*", which also matches names
// without a dot.
QString toQtFilter(const QString &filter);

} // namespace brevane
