#pragma once

#include "UserPrompts.h"

#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace brevane::test {

// Answers every box and file dialog a window asks for, and records them.
// Unanswered message boxes get OK (or No for a question); unanswered file
// dialogs are cancelled.
class RecordingPrompts : public UserPrompts
{
public:
    struct FileDialogCall
    {
        bool save = false;
        FileDialogRequest request;
    };

    MessageAnswer message(QWidget *parent, const MessageRequest &request) override;
    std::optional<QString> saveFileName(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QString> openFileName(QWidget *parent, const FileDialogRequest &request) override;

    void queueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    // The next file dialog returns this path, or is cancelled when it is nullopt.
    void queueFileName(const std::optional<QString> &fileName)
    {
        m_fileNames.push_back({ !fileName.has_value(), fileName.value_or(QString()) });
    }
    // Runs while a message box is "open", e.g. to look at the window meanwhile.
    void setOnMessage(std::function<void(const MessageRequest &)> hook) { m_onMessage = std::move(hook); }

    const QList<MessageRequest> &messages() const { return m_messages; }
    QStringList messageTexts() const;
    const QList<FileDialogCall> &fileDialogs() const { return m_fileDialogs; }
    void clear();

private:
    QList<MessageRequest> m_messages;
    QList<FileDialogCall> m_fileDialogs;
    std::deque<MessageAnswer> m_answers;
    struct QueuedFileName
    {
        bool cancelled = false;
        QString path;
    };
    std::optional<QString> nextFileName();

    std::deque<QueuedFileName> m_fileNames;
    std::function<void(const MessageRequest &)> m_onMessage;
};

// Installs a RecordingPrompts for the lifetime of the guard.
class ScopedPrompts
{
public:
    ScopedPrompts();
    ~ScopedPrompts();
    RecordingPrompts &operator*() const { return *m_prompts; }
    RecordingPrompts *operator->() const { return m_prompts.get(); }

private:
    std::shared_ptr<RecordingPrompts> m_prompts;
};

} // namespace brevane::test
