#pragma once

#include <QLabel>

namespace quilvet {

// One of the four labels of the period row ("时间段：", begin, "－", end). A
// class of its own so that accessibility clients get PeriodLabelAccessible for
// it, which reads the whole row on the begin label alone; it shows its caption
// like any label.
class PeriodLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The label that accessibility clients read the whole row on.
    static constexpr const char *RowReaderName = "lblTimeBegin";

    // QLabel::setText for a caption that changed; the row reader's name changes
    // with any caption of the row, so accessibility clients are told of it too.
    // (QLabel::setText tells them of the label's own name.)
    void setText(const QString &text);
};

} // namespace quilvet
