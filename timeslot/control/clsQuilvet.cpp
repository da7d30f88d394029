#include "clsQuilvet.h"

#include "NumericText.h"
#include "PeriodLabel.h"
#include "QuilvetAccessibility.h"
#include "QuilvetError.h"
#include "QuilvetLayout.h"
#include "SlotClock.h"
#include "clsQuilvet_p.h"

#include <algorithm>
#include <limits>

using namespace quilvet;

namespace {

const QString PriceFallback = QStringLiteral("0");
const QString MinuteLimitFallback = QStringLiteral("-1");

qint32 saturated(qint64 number)
{
    return static_cast<qint32>(
        std::clamp<qint64>(number, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

static_assert(clsQuilvet::PriceCount == PriceRowCount);

} // namespace

clsQuilvetPrivate::clsQuilvetPrivate(clsQuilvet *q)
    : q(q)
{ }

void clsQuilvetPrivate::buildLayout()
{
    const QFont captionFont = Layout::captionFont();
    const QFont emphasisedFont = Layout::emphasisedFont();

    pic1 = new QFrame(q);
    pic1->setObjectName(QStringLiteral("pic1"));
    pic1->setFont(captionFont);
    pic1->setGeometry(Layout::find("pic1")->pixelRect());

    for (const Layout::Child &child : Layout::children()) {
        QWidget *parent = child.parent == Layout::Parent::Panel ? static_cast<QWidget *>(pic1) : q;
        const QString name = QString::fromLatin1(child.name);
        const QString caption = QString::fromUtf16(child.caption);
        QWidget *widget = nullptr;
        switch (child.kind) {
        case Layout::Kind::Panel:
            continue;
        case Layout::Kind::Slider:
            Slider_Time = new TimeSlider(parent);
            widget = Slider_Time;
            break;
        case Layout::Kind::Label: {
            const bool isPeriod = name == QLatin1String("lblNote(16)")
                || name == QLatin1String("lblTimeBegin") || name == QLatin1String("lblNote(17)")
                || name == QLatin1String("lblTimeEnd");
            auto *label = isPeriod ? new PeriodLabel(parent) : new QLabel(parent);
            // Captions are shown as written: a host's text is never taken for markup.
            label->setTextFormat(Qt::PlainText);
            label->setText(caption);
            label->setFont(child.emphasised ? emphasisedFont : captionFont);
            label->setContentsMargins(0, 0, 0, 0);
            label->setMargin(0);
            if (child.emphasised) {
                QPalette palette = label->palette();
                palette.setColor(QPalette::WindowText, Layout::emphasisColour());
                label->setPalette(palette);
            }
            widget = label;
            break;
        }
        case Layout::Kind::TextBox: {
            auto *box = new TextBox(parent);
            box->setFont(captionFont);
            box->setText(caption);
            widget = box;
            break;
        }
        }
        widget->setObjectName(name);
        widget->setGeometry(child.pixelRect());
    }

    for (int i = 0; i < clsQuilvet::PriceCount; ++i) {
        txtPrice_Week[i] = pic1->findChild<TextBox *>(QStringLiteral("txtPrice_Week(%1)").arg(i));
    }
    txtMaxMinute = pic1->findChild<TextBox *>(QStringLiteral("txtMaxMinute"));
    txtRoomFee_All = pic1->findChild<TextBox *>(QStringLiteral("txtRoomFee_All"));
    lblNo = pic1->findChild<QLabel *>(QStringLiteral("lblNo"));
    lblTimeBegin = pic1->findChild<PeriodLabel *>(QStringLiteral("lblTimeBegin"));
    lblTimeEnd = pic1->findChild<PeriodLabel *>(QStringLiteral("lblTimeEnd"));

    // Tab order: the slider, the prices from Monday to holidays, then the limits.
    QWidget *previous = Slider_Time;
    for (TextBox *box : txtPrice_Week) {
        QWidget::setTabOrder(previous, box);
        previous = box;
    }
    QWidget::setTabOrder(previous, txtMaxMinute);
    QWidget::setTabOrder(txtMaxMinute, txtRoomFee_All);
    Accessibility::nameChildren(q);

    QObject::connect(Slider_Time, &TimeSlider::scrolled, q, [this] { Slider_Time_Scroll(); });
    QObject::connect(Slider_Time, &TimeSlider::changed, q, [this] { Slider_Time_Change(); });
    for (qint16 i = 0; i < clsQuilvet::PriceCount; ++i) {
        QObject::connect(txtPrice_Week[i], &TextBox::changed, q, [this, i] { txtPrice_Week_Change(i); });
        QObject::connect(txtPrice_Week[i], &TextBox::validating, q, [this, i] { txtPrice_Week_Validate(i); });
    }
    QObject::connect(txtMaxMinute, &TextBox::validating, q, [this] { txtMaxMinute_Validate(); });
    QObject::connect(txtRoomFee_All, &TextBox::changed, q, [this] { txtRoomFee_All_Change(); });
}

void clsQuilvetPrivate::UpdateSlotSelection()
{
    // Every read asks the slider afresh: a write below may have been answered by
    // a nested notification that changed the state again.
    const std::optional<qint16> step = SlotClock::step(Slider_Time->maximum());

    if (Slider_Time->value() <= Slider_Time->selStart()) {
        Slider_Time->setValue(Slider_Time->selStart());
    }
    Slider_Time->setSelLength(saturated(static_cast<qint64>(Slider_Time->value()) - Slider_Time->selStart()));

    // Without slots the step is undefined: the captions keep what they show.
    if (!step) {
        return;
    }
    lblTimeBegin->setText(SlotClock::slotTimeText(Slider_Time->selStart(), *step));
    lblTimeEnd->setText(SlotClock::endTimeText(Slider_Time->value(), Slider_Time->maximum(), *step));
}

void clsQuilvetPrivate::Slider_Time_Scroll()
{
    UpdateSlotSelection();
    Q_EMIT q->Scroll();
}

void clsQuilvetPrivate::Slider_Time_Change()
{
    UpdateSlotSelection();
    Q_EMIT q->Change();
}

void clsQuilvetPrivate::txtPrice_Week_Change(qint16 index)
{
    // Each write that alters a later box runs that box's own cascade, nested;
    // the outcome is that every later box holds this box's text.
    const auto count = static_cast<qint16>(txtPrice_Week.size());
    for (qint16 i = index + 1; i < count; ++i) {
        txtPrice_Week[i]->setText(txtPrice_Week[index]->text());
    }
}

void clsQuilvetPrivate::txtPrice_Week_Validate(qint16 index)
{
    TextBox *box = txtPrice_Week[index];
    box->setText(NumericText::trimSpaces(box->text()));
    if (!NumericText::isNumeric(box->text())) {
        box->setText(PriceFallback);
    }
}

void clsQuilvetPrivate::txtMaxMinute_Validate()
{
    txtMaxMinute->setText(NumericText::trimSpaces(txtMaxMinute->text()));
    if (!NumericText::isNumeric(txtMaxMinute->text())) {
        txtMaxMinute->setText(MinuteLimitFallback);
    }
}

void clsQuilvetPrivate::txtRoomFee_All_Change()
{
    // A write here that alters the text runs this check once more, nested; that
    // run finds a trimmed number and changes nothing.
    txtRoomFee_All->setText(NumericText::trimSpaces(txtRoomFee_All->text()));
    if (!NumericText::isNumeric(txtRoomFee_All->text())) {
        txtRoomFee_All->setText(PriceFallback);
    }
}

void clsQuilvetPrivate::notifyPropertyChanged(PropertyRow property)
{
    if (quietWrites > 0) {
        return;
    }
    Q_EMIT q->PropertyChanged(QString::fromLatin1(quilvet::Properties[property.index].name));
}

clsQuilvet::clsQuilvet(QWidget *parent)
    : QWidget(parent)
    , d(std::make_unique<clsQuilvetPrivate>(this))
{
    setFont(Layout::captionFont());
    d->buildLayout();
    resize(Layout::clientSize());
}

clsQuilvet::~clsQuilvet() = default;

QSize clsQuilvet::sizeHint() const
{
    return Layout::clientSize();
}

QSize clsQuilvet::minimumSizeHint() const
{
    return Layout::clientSize();
}

bool clsQuilvet::enabledState() const
{
    // The control's own state, whatever its host window's state is.
    return !testAttribute(Qt::WA_ForceDisabled);
}

void clsQuilvet::setEnabled(bool enabled)
{
    QWidget::setEnabled(enabled);
    d->notifyPropertyChanged("Enabled");
}

void clsQuilvet::setEnabledState(bool enabled)
{
    setEnabled(enabled);
}

qint32 clsQuilvet::value() const
{
    return d->Slider_Time->value();
}

void clsQuilvet::setValue(qint32 value)
{
    d->Slider_Time->setValue(value);
    d->notifyPropertyChanged("Value");
}

QString clsQuilvet::toolTipText() const
{
    return d->toolTipText;
}

void clsQuilvet::setToolTipText(const QString &text)
{
    d->toolTipText = text;
    d->notifyPropertyChanged("ToolTipText");
}

qint32 clsQuilvet::selStart() const
{
    return d->Slider_Time->selStart();
}

void clsQuilvet::setSelStart(qint32 selStart)
{
    d->Slider_Time->setSelStart(selStart);
    d->notifyPropertyChanged("SelStart");
}

QString clsQuilvet::maxMinute() const
{
    return d->txtMaxMinute->text();
}

void clsQuilvet::setMaxMinute(const QString &text)
{
    d->txtMaxMinute->setText(text);
    d->notifyPropertyChanged("MaxMinute");
}

QString clsQuilvet::roomFeeAll() const
{
    return d->txtRoomFee_All->text();
}

void clsQuilvet::setRoomFee_All(const QString &text)
{
    d->txtRoomFee_All->setText(text);
    d->notifyPropertyChanged("RoomFee_All");
}

void clsQuilvet::setRoomFeeAll(const QString &text)
{
    setRoomFee_All(text);
}

QString clsQuilvet::timeIndex() const
{
    return d->lblNo->text();
}

void clsQuilvet::setTimeIndex(const QString &text)
{
    d->lblNo->setText(text);
    d->notifyPropertyChanged("TimeIndex");
}

QString clsQuilvet::beginTime() const
{
    return d->lblTimeBegin->text();
}

void clsQuilvet::setBeginTime(const QString &text)
{
    d->lblTimeBegin->setText(text);
    d->notifyPropertyChanged("BeginTime");
}

QString clsQuilvet::endTime() const
{
    return d->lblTimeEnd->text();
}

void clsQuilvet::setEndTime(const QString &text)
{
    d->lblTimeEnd->setText(text);
    d->notifyPropertyChanged("EndTime");
}

bool clsQuilvet::selectRange() const
{
    return d->Slider_Time->selectRange();
}

void clsQuilvet::setSelectRange(bool selectRange)
{
    d->Slider_Time->setSelectRange(selectRange);
    d->notifyPropertyChanged("SelectRange");
}

qint32 clsQuilvet::maximum() const
{
    return d->Slider_Time->maximum();
}

void clsQuilvet::setMaximum(qint32 slotCount)
{
    SlotClock::checkSlotCount(slotCount);
    d->Slider_Time->setMaximum(slotCount);
    d->notifyPropertyChanged("Max");
}

void clsQuilvet::setMax(qint32 slotCount)
{
    try {
        setMaximum(slotCount);
    } catch (const Error &error) {
        Q_EMIT writeRefused(QStringLiteral("Max"), error.number(), error.source(), error.description());
    }
}

qint32 clsQuilvet::selLength() const
{
    return d->Slider_Time->selLength();
}

void clsQuilvet::setSelLength(qint32 selLength)
{
    d->Slider_Time->setSelLength(selLength);
    d->notifyPropertyChanged("SelLength");
}

QString clsQuilvet::priceWeek(int index) const
{
    if (index < 0 || index >= PriceCount) {
        throw Error::subscriptOutOfRange();
    }
    return d->txtPrice_Week[index]->text();
}

void clsQuilvet::setPriceWeek(int index, const QString &text)
{
    if (index < 0 || index >= PriceCount) {
        throw Error::subscriptOutOfRange();
    }
    d->txtPrice_Week[index]->setText(text);
    d->notifyPropertyChanged(clsQuilvetPrivate::PropertyRow(FirstPriceRow + index));
}
