#include "QuilvetAccessibility.h"

#include "PeriodLabel.h"
#include "PeriodLabelAccessible.h"
#include "TimeSlider.h"
#include "TimeSliderAccessible.h"

#include <QLabel>

namespace quilvet::Accessibility {

namespace {

QAccessibleInterface *createInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String(TimeSlider::staticMetaObject.className())) {
        if (auto *slider = qobject_cast<TimeSlider *>(object)) {
            return new TimeSliderAccessible(slider);
        }
    }
    if (className == QLatin1String(PeriodLabel::staticMetaObject.className())) {
        if (auto *label = qobject_cast<PeriodLabel *>(object)) {
            return new PeriodLabelAccessible(label);
        }
    }
    return nullptr;
}

// Each box with the captions that head it, in reading order; "…" stands where
// the box sits inside a sentence.
struct BoxHeadings
{
    const char *box;
    const char *first;
    const char *second;
    const char *separator;
};

constexpr BoxHeadings Headings[] = {
    { "txtPrice_Week(0)", "lblNote(2)", "lblNote(1)", " " },
    { "txtPrice_Week(1)", "lblNote(3)", "lblNote(1)", " " },
    { "txtPrice_Week(2)", "lblNote(5)", "lblNote(1)", " " },
    { "txtPrice_Week(3)", "lblNote(6)", "lblNote(1)", " " },
    { "txtPrice_Week(4)", "lblNote(7)", "lblNote(1)", " " },
    { "txtPrice_Week(5)", "lblNote(4)", "lblNote(1)", " " },
    { "txtPrice_Week(6)", "lblNote(8)", "lblNote(1)", " " },
    { "txtPrice_Week(7)", "lblNote(9)", "lblNote(1)", " " },
    { "txtMaxMinute", "lblNote(10)", "lblNote(11)", " … " },
    { "txtRoomFee_All", "lblNote(15)", "lblNote(14)", " … " },
};

QString caption(const QWidget *control, const char *label)
{
    const auto *found = control->findChild<const QLabel *>(QLatin1String(label));
    return found ? found->text() : QString();
}

} // namespace

void installFactory()
{
    // Never removed: Qt's list of factories is gone before this library's
    // statics at exit, and the component layer never unloads the library.
    static const bool installed = [] {
        QAccessible::installFactory(createInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void nameChildren(QWidget *control)
{
    for (const BoxHeadings &headings : Headings) {
        if (auto *box = control->findChild<QWidget *>(QLatin1String(headings.box))) {
            box->setAccessibleName(caption(control, headings.first) + QString::fromUtf8(headings.separator)
                + caption(control, headings.second));
        }
    }
    if (auto *slider = control->findChild<TimeSlider *>()) {
        QString name = caption(control, "lblNote(16)"); // "时间段："
        name.remove(QChar(u'：'));
        slider->setAccessibleName(name);
    }
}

} // namespace quilvet::Accessibility
