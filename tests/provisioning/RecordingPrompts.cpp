#include "RecordingPrompts.h"

namespace brevane::test {

MessageAnswer RecordingPrompts::message(QWidget *, const MessageRequest &request)
{
    m_messages.append(request);
    if (m_onMessage)
        m_onMessage(request);
    if (!m_answers.empty()) {
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

std::optional<QString> RecordingPrompts::saveFileName(QWidget *, const FileDialogRequest &request)
{
    m_fileDialogs.append({ true, request });
    return nextFileName();
}

std::optional<QString> RecordingPrompts::openFileName(QWidget *, const FileDialogRequest &request)
{
    m_fileDialogs.append({ false, request });
    return nextFileName();
}

std::optional<QString> RecordingPrompts::nextFileName()
{
    if (m_fileNames.empty())
        return std::nullopt;
    const QueuedFileName next = m_fileNames.front();
    m_fileNames.pop_front();
    if (next.cancelled)
        return std::nullopt;
    return next.path;
}

QStringList RecordingPrompts::messageTexts() const
{
    QStringList texts;
    for (const MessageRequest &request : m_messages)
        texts.append(request.text);
    return texts;
}

void RecordingPrompts::clear()
{
    m_messages.clear();
    m_fileDialogs.clear();
    m_answers.clear();
    m_fileNames.clear();
}

ScopedPrompts::ScopedPrompts()
    : m_prompts(std::make_shared<RecordingPrompts>())
{
    UserPrompts::setCurrent(m_prompts);
}

ScopedPrompts::~ScopedPrompts()
{
    UserPrompts::setCurrent(nullptr);
}

} // namespace brevane::test
