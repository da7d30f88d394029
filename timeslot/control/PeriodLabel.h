#pragma once

#include <QLabel>

namespace quilvet {

// The begin or the end label of the period. A class of its own only so that
// accessibility clients get PeriodLabelAccessible for it; it shows its caption
// like any label.
class PeriodLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;
};

} // namespace quilvet
