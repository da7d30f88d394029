// The three persistence operations of clsQuilvet: the keys, their defaults and
// the order in which they are read and written.

#include "PropertyStore.h"
#include "PropertyValue.h"
#include "clsQuilvet.h"
#include "clsQuilvet_p.h"

#include <array>

using namespace quilvet;

namespace {

enum class Key {
    Enabled,
    Value,
    ToolTipText,
    SelStart,
    PriceWeek1,
    PriceWeek2,
    PriceWeek3,
    PriceWeek4,
    PriceWeek5,
    PriceWeek6,
    PriceWeek7,
    PriceWeek8,
    MaxMinute,
    RoomFee_All,
    TimeIndex,
    BeginTime,
    EndTime,
    SelectRange,
    Max,
    SelLength,
};

constexpr const char *keyName(Key key)
{
    constexpr std::array names { "Enabled", "Value", "ToolTipText", "SelStart", "PriceWeek1", "PriceWeek2",
        "PriceWeek3", "PriceWeek4", "PriceWeek5", "PriceWeek6", "PriceWeek7", "PriceWeek8", "MaxMinute",
        "RoomFee_All", "TimeIndex", "BeginTime", "EndTime", "SelectRange", "Max", "SelLength" };
    return names[static_cast<std::size_t>(key)];
}

// The steps of a load and of a save. The price keys come three times: once
// before and once after "Max", and once at the end, because each price written
// flows on to the later day kinds and the keys 1 to 8 must end with their own
// values. "SelLength" comes twice, after "Max".
constexpr std::array Steps {
    Key::Enabled,
    Key::Value,
    Key::ToolTipText,
    Key::SelStart,
    Key::PriceWeek1,
    Key::PriceWeek2,
    Key::PriceWeek3,
    Key::PriceWeek4,
    Key::PriceWeek5,
    Key::PriceWeek6,
    Key::PriceWeek7,
    Key::PriceWeek8,
    Key::MaxMinute,
    Key::RoomFee_All,
    Key::TimeIndex,
    Key::BeginTime,
    Key::EndTime,
    Key::SelectRange,
    Key::Max,
    Key::PriceWeek1,
    Key::PriceWeek2,
    Key::PriceWeek3,
    Key::PriceWeek4,
    Key::PriceWeek5,
    Key::PriceWeek6,
    Key::PriceWeek7,
    Key::PriceWeek8,
    Key::SelLength,
    Key::SelLength,
    Key::PriceWeek1,
    Key::PriceWeek2,
    Key::PriceWeek3,
    Key::PriceWeek4,
    Key::PriceWeek5,
    Key::PriceWeek6,
    Key::PriceWeek7,
    Key::PriceWeek8,
};

int priceIndex(Key key)
{
    return static_cast<int>(key) - static_cast<int>(Key::PriceWeek1);
}

bool isPrice(Key key)
{
    return key >= Key::PriceWeek1 && key <= Key::PriceWeek8;
}

// The default of a key; the slider-dependent ones read the slider's maximum now.
QVariant defaultFor(const clsQuilvetPrivate &d, Key key)
{
    if (isPrice(key)) {
        return QStringLiteral("0");
    }
    switch (key) {
    case Key::Enabled:
    case Key::SelectRange:
        return true;
    case Key::Value:
    case Key::SelLength:
        return QVariant::fromValue<qint32>(d.Slider_Time->maximum());
    case Key::ToolTipText:
        return QString();
    case Key::SelStart:
        return QVariant::fromValue<qint16>(0);
    case Key::MaxMinute:
        return QStringLiteral("-1");
    case Key::RoomFee_All:
        return QStringLiteral("0");
    case Key::TimeIndex:
        return QStringLiteral("1");
    case Key::BeginTime:
        return QStringLiteral("00:00");
    case Key::EndTime:
        return QStringLiteral("23:59");
    case Key::Max:
        return QVariant::fromValue<qint16>(48);
    default:
        return QVariant();
    }
}

QVariant currentValue(const clsQuilvet &q, const clsQuilvetPrivate &d, Key key)
{
    if (isPrice(key)) {
        return d.txtPrice_Week[priceIndex(key)]->text();
    }
    switch (key) {
    case Key::Enabled:
        return q.enabledState();
    case Key::Value:
        return QVariant::fromValue<qint32>(d.Slider_Time->value());
    case Key::ToolTipText:
        return d.toolTipText;
    case Key::SelStart:
        return QVariant::fromValue<qint32>(d.Slider_Time->selStart());
    case Key::MaxMinute:
        return d.txtMaxMinute->text();
    case Key::RoomFee_All:
        return d.txtRoomFee_All->text();
    case Key::TimeIndex:
        return d.lblNo->text();
    case Key::BeginTime:
        return d.lblTimeBegin->text();
    case Key::EndTime:
        return d.lblTimeEnd->text();
    case Key::SelectRange:
        return d.Slider_Time->selectRange();
    case Key::Max:
        return QVariant::fromValue<qint32>(d.Slider_Time->maximum());
    case Key::SelLength:
        return QVariant::fromValue<qint32>(d.Slider_Time->selLength());
    default:
        return QVariant();
    }
}

// Puts a stored value in its holder, bypassing the properties: no check of the
// slot count and no change notice. Text boxes still run their change handling.
void apply(clsQuilvet &q, clsQuilvetPrivate &d, Key key, const QVariant &stored)
{
    if (isPrice(key)) {
        d.txtPrice_Week[priceIndex(key)]->setText(PropertyValue::toText(stored));
        return;
    }
    switch (key) {
    case Key::Enabled:
        q.setEnabled(PropertyValue::toBoolean(stored));
        break;
    case Key::Value:
        d.Slider_Time->setValue(PropertyValue::toInt32(stored));
        break;
    case Key::ToolTipText:
        d.toolTipText = PropertyValue::toText(stored);
        break;
    case Key::SelStart:
        d.Slider_Time->setSelStart(PropertyValue::toInt32(stored));
        break;
    case Key::MaxMinute:
        d.txtMaxMinute->setText(PropertyValue::toText(stored));
        break;
    case Key::RoomFee_All:
        d.txtRoomFee_All->setText(PropertyValue::toText(stored));
        break;
    case Key::TimeIndex:
        d.lblNo->setText(PropertyValue::toText(stored));
        break;
    case Key::BeginTime:
        d.lblTimeBegin->setText(PropertyValue::toText(stored));
        break;
    case Key::EndTime:
        d.lblTimeEnd->setText(PropertyValue::toText(stored));
        break;
    case Key::SelectRange:
        d.Slider_Time->setSelectRange(PropertyValue::toBoolean(stored));
        break;
    case Key::Max:
        d.Slider_Time->setMaximum(PropertyValue::toInt32(stored));
        break;
    case Key::SelLength:
        d.Slider_Time->setSelLength(PropertyValue::toInt32(stored));
        break;
    default:
        break;
    }
}

} // namespace

void clsQuilvet::InitProperties()
{
    d->toolTipText.clear();
}

void clsQuilvet::ReadProperties(PropertyStore &store)
{
    // A value equal to the saved maximum is not stored, and its default is read
    // before the maximum is restored: such a value follows the restored maximum.
    bool valueIsTheMaximum = false;
    for (Key key : Steps) {
        const QString name = QString::fromLatin1(keyName(key));
        apply(*this, *d, key, store.readProperty(name, defaultFor(*d, key)));
        if (key == Key::Value) {
            valueIsTheMaximum = store.holds(name) == std::optional<bool>(false);
        } else if (key == Key::Max && valueIsTheMaximum) {
            d->Slider_Time->setValue(d->Slider_Time->maximum());
        }
    }
}

void clsQuilvet::WriteProperties(PropertyStore &store) const
{
    for (Key key : Steps) {
        const QString name = QString::fromLatin1(keyName(key));
        store.writeProperty(name, currentValue(*this, *d, key), defaultFor(*d, key));
    }
}
