#include "TypingLengthLimit.h"

#include <QLineEdit>

namespace brevane {

namespace {
constexpr int kQtDefaultMaxLength = 32767;
}

TypingLengthLimit::TypingLengthLimit(QLineEdit *field, int limit)
    : QValidator(field)
    , m_limit(limit)
    , m_currentLength(field->text().size())
{
    // The text before an edit is what the field last held: a validator is
    // asked about an edit before the field reports the change.
    connect(
        field, &QLineEdit::textChanged, this, [this](const QString &text) { m_currentLength = text.size(); });
}

void TypingLengthLimit::install(QLineEdit *field)
{
    const int limit = field->maxLength();
    if (limit >= kQtDefaultMaxLength)
        return;
    field->setMaxLength(kQtDefaultMaxLength);
    field->setValidator(new TypingLengthLimit(field, limit));
}

QValidator::State TypingLengthLimit::validate(QString &input, int &) const
{
    if (input.size() <= m_limit || input.size() <= m_currentLength)
        return Acceptable;
    return Invalid;
}

} // namespace brevane
