#pragma once

#include <QtGlobal>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The twenty properties of clsQuilvet and its two events, each described once.
// Type information, dispatch binding, the dual interface, persistence and the
// Designer plugin all read these tables; nothing else lists the properties.
namespace quilvet {

enum class PropertyType { Boolean, Int32, Text };

// The default a persisted property is read and written with.
struct StoredDefault
{
    enum class Kind {
        Boolean,
        Int16,
        Text,
        SlotCount, // the slider's maximum at the moment of the step, as a 32-bit integer
    };
    Kind kind;
    qint32 number;
    const char16_t *textValue; // nullptr: the empty text

    static constexpr StoredDefault boolean(bool value) { return { Kind::Boolean, value ? 1 : 0, nullptr }; }
    static constexpr StoredDefault int16(qint16 value) { return { Kind::Int16, value, nullptr }; }
    static constexpr StoredDefault text(const char16_t *value) { return { Kind::Text, 0, value }; }
    static constexpr StoredDefault slotCount() { return { Kind::SlotCount, 0, nullptr }; }
};

struct PropertyInfo
{
    const char *name; // the Qt property, the dispatch name and the store key
    qint32 dispatchId;
    PropertyType type;
    const char16_t *helpString;
    StoredDefault storedDefault;
    // The put refuses some values; restoring the property bypasses that check.
    bool checkedPut;
};

struct EventInfo
{
    const char *name;
    qint32 dispatchId;
    const char16_t *helpString;
};

namespace help {
inline constexpr char16_t Enabled[] = u"返回/设置一个值，决定一个对象是否响应用户生成事件。";
inline constexpr char16_t Text[] = u"返回/设置控件中包含的文本。";
inline constexpr char16_t Caption[] = u"返回/设置对象的标题栏中或图标下面的文本。";
} // namespace help

// In slot order: the order of the dual interface's table of functions.
// clang-format off
inline constexpr std::array<PropertyInfo, 20> Properties { {
    { "Enabled",     0x68030013, PropertyType::Boolean, help::Enabled,                        StoredDefault::boolean(true),    false },
    { "Value",       0x68030012, PropertyType::Int32,   u"返回/设置对象的值。",                 StoredDefault::slotCount(),      false },
    { "ToolTipText", 0x68030011, PropertyType::Text,    u"返回/设置当鼠标在控件上暂停时显示的文本。", StoredDefault::text(nullptr),   false },
    { "SelStart",    0x68030010, PropertyType::Int32,   u"返回/设置选定起始位置的值。",           StoredDefault::int16(0),         false },
    { "MaxMinute",   0x6803000F, PropertyType::Text,    help::Text,                           StoredDefault::text(u"-1"),      false },
    { "RoomFee_All", 0x6803000E, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
    { "TimeIndex",   0x6803000D, PropertyType::Text,    help::Caption,                        StoredDefault::text(u"1"),       false },
    { "BeginTime",   0x6803000C, PropertyType::Text,    help::Caption,                        StoredDefault::text(u"00:00"),   false },
    { "EndTime",     0x6803000B, PropertyType::Text,    help::Caption,                        StoredDefault::text(u"23:59"),   false },
    { "SelectRange", 0x6803000A, PropertyType::Boolean, u"返回/设置滑块控件是否能有选定区域。",     StoredDefault::boolean(true),    false },
    { "Max",         0x68030009, PropertyType::Int32,   u"返回/设置控件的最大值。",              StoredDefault::int16(48),        true  },
    { "SelLength",   0x68030008, PropertyType::Int32,   u"返回/设置选定的字符数。",              StoredDefault::slotCount(),      false },
    { "PriceWeek1",  0x68030007, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
    { "PriceWeek2",  0x68030006, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
    { "PriceWeek3",  0x68030005, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
    { "PriceWeek4",  0x68030004, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
    { "PriceWeek5",  0x68030003, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
    { "PriceWeek6",  0x68030002, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
    { "PriceWeek7",  0x68030001, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
    { "PriceWeek8",  0x68030000, PropertyType::Text,    help::Text,                           StoredDefault::text(u"0"),       false },
} };

inline constexpr std::array<EventInfo, 2> Events { {
    { "Change", 1, u"指出已改变的控件的内容。" },
    { "Scroll", 2, u"Slider scroll 事件" },
} };
// clang-format on

inline constexpr std::size_t ChangeEvent = 0;
inline constexpr std::size_t ScrollEvent = 1;

// The row of a property; a name not in the table does not compile where the
// index is needed at compile time.
constexpr std::size_t propertyIndex(std::string_view name)
{
    for (std::size_t i = 0; i < Properties.size(); ++i) {
        if (name == Properties[i].name) {
            return i;
        }
    }
    throw "not a property of clsQuilvet";
}

inline constexpr std::size_t FirstPriceRow = propertyIndex("PriceWeek1");
inline constexpr int PriceRowCount = 8;

// The steps of a load and of a save, as rows of Properties. The price keys come
// three times: once before and once after "Max", and once at the end, because
// each price written flows on to the later day kinds and the keys 1 to 8 must
// end with their own values. "SelLength" comes twice, after "Max".
inline constexpr auto PersistenceSteps = [] {
    std::array<std::uint8_t, 37> steps {};
    std::size_t next = 0;
    const auto add
        = [&](std::string_view name) { steps[next++] = static_cast<std::uint8_t>(propertyIndex(name)); };
    const auto addPrices = [&] {
        for (int i = 0; i < PriceRowCount; ++i) {
            steps[next++] = static_cast<std::uint8_t>(FirstPriceRow + i);
        }
    };
    for (const char *name : { "Enabled", "Value", "ToolTipText", "SelStart" }) {
        add(name);
    }
    addPrices();
    for (const char *name :
        { "MaxMinute", "RoomFee_All", "TimeIndex", "BeginTime", "EndTime", "SelectRange", "Max" }) {
        add(name);
    }
    addPrices();
    add("SelLength");
    add("SelLength");
    addPrices();
    return steps;
}();

// Dispatch ids count down from Enabled's in slot order.
static_assert([] {
    for (std::size_t i = 0; i < Properties.size(); ++i) {
        if (Properties[i].dispatchId != Properties[0].dispatchId - static_cast<qint32>(i)) {
            return false;
        }
    }
    return Properties.back().dispatchId == 0x68030000;
}());

} // namespace quilvet
