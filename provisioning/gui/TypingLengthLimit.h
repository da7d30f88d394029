#pragma once

#include <QValidator>

class QLineEdit;

namespace brevane {

// A field's maximum length that limits only what the user types, as the
// layout means it: typing stops at the limit, while a longer text that the
// program puts into the field stays whole (Qt's own maximum length would cut
// it short) and remains editable.
class TypingLengthLimit : public QValidator
{
    Q_OBJECT

public:
    // Takes over the field's maximum length from its layout.
    static void install(QLineEdit *field);

    State validate(QString &input, int &pos) const override;

private:
    TypingLengthLimit(QLineEdit *field, int limit);

    int m_limit;
    qsizetype m_currentLength = 0;
};

} // namespace brevane
