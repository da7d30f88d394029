#include "TypeLibrary.h"

#include <QString>

#include <iconv.h>

namespace quilvet::TypeLibrary {

// {20639D1E-C034-413E-AD14-2FA29A8E1837}
const GUID LIBID_Quilvet = { 0x20639D1E, 0xC034, 0x413E, { 0xAD, 0x14, 0x2F, 0xA2, 0x9A, 0x8E, 0x18, 0x37 } };
// {CB6A31EE-02C2-409A-9851-DED8ACE8277F}
const GUID CLSID_clsQuilvet
    = { 0xCB6A31EE, 0x02C2, 0x409A, { 0x98, 0x51, 0xDE, 0xD8, 0xAC, 0xE8, 0x27, 0x7F } };
// {AAF20BC1-2F22-4C7C-8C34-68D97D89F1AC}
const GUID IID__clsQuilvet
    = { 0xAAF20BC1, 0x2F22, 0x4C7C, { 0x8C, 0x34, 0x68, 0xD9, 0x7D, 0x89, 0xF1, 0xAC } };
// {AA5E60CA-7D8E-4CDD-B1F9-BC7A49794CBF}
const GUID DIID___clsQuilvet
    = { 0xAA5E60CA, 0x7D8E, 0x4CDD, { 0xB1, 0xF9, 0xBC, 0x7A, 0x49, 0x79, 0x4C, 0xBF } };

namespace {

constexpr Library TheLibrary { u"Quilvet", 13, 0, 0x0409, u"Quilvet", 0x2 };

constexpr char16_t EnabledHelp[] = u"返回/设置一个值，决定一个对象是否响应用户生成事件。";
constexpr char16_t TextHelp[] = u"返回/设置控件中包含的文本。";
constexpr char16_t CaptionHelp[] = u"返回/设置对象的标题栏中或图标下面的文本。";

// clang-format off
constexpr Property Properties[] = {
    { 1, "Enabled",     0x68030013, VT_BOOL, EnabledHelp},
    { 2, "Value",       0x68030012, VT_I4,   u"返回/设置对象的值。"},
    { 3, "ToolTipText", 0x68030011, VT_BSTR, u"返回/设置当鼠标在控件上暂停时显示的文本。"},
    { 4, "SelStart",    0x68030010, VT_I4,   u"返回/设置选定起始位置的值。"},
    { 5, "MaxMinute",   0x6803000F, VT_BSTR, TextHelp},
    { 6, "RoomFee_All", 0x6803000E, VT_BSTR, TextHelp},
    { 7, "TimeIndex",   0x6803000D, VT_BSTR, CaptionHelp},
    { 8, "BeginTime",   0x6803000C, VT_BSTR, CaptionHelp},
    { 9, "EndTime",     0x6803000B, VT_BSTR, CaptionHelp},
    {10, "SelectRange", 0x6803000A, VT_BOOL, u"返回/设置滑块控件是否能有选定区域。"},
    {11, "Max",         0x68030009, VT_I4,   u"返回/设置控件的最大值。"},
    {12, "SelLength",   0x68030008, VT_I4,   u"返回/设置选定的字符数。"},
    {13, "PriceWeek1",  0x68030007, VT_BSTR, TextHelp},
    {14, "PriceWeek2",  0x68030006, VT_BSTR, TextHelp},
    {15, "PriceWeek3",  0x68030005, VT_BSTR, TextHelp},
    {16, "PriceWeek4",  0x68030004, VT_BSTR, TextHelp},
    {17, "PriceWeek5",  0x68030003, VT_BSTR, TextHelp},
    {18, "PriceWeek6",  0x68030002, VT_BSTR, TextHelp},
    {19, "PriceWeek7",  0x68030001, VT_BSTR, TextHelp},
    {20, "PriceWeek8",  0x68030000, VT_BSTR, TextHelp},
};

constexpr Event Events[] = {
    {"Change", 1, u"指出已改变的控件的内容。"},
    {"Scroll", 2, u"Slider scroll 事件"},
};
// clang-format on

} // namespace

const Library &library()
{
    return TheLibrary;
}

std::span<const Property> properties()
{
    return Properties;
}

std::span<const Event> events()
{
    return Events;
}

const Property *findProperty(DISPID id)
{
    for (const Property &property : Properties) {
        if (property.id == id) {
            return &property;
        }
    }
    return nullptr;
}

const Property *findProperty(const QString &name)
{
    for (const Property &property : Properties) {
        if (name.compare(QLatin1String(property.name), Qt::CaseInsensitive) == 0) {
            return &property;
        }
    }
    return nullptr;
}

const Event *findEvent(const QString &name)
{
    for (const Event &event : Events) {
        if (name.compare(QLatin1String(event.name), Qt::CaseInsensitive) == 0) {
            return &event;
        }
    }
    return nullptr;
}

QByteArray codePage936(const char16_t *text)
{
    QByteArray utf8 = QString::fromUtf16(text).toUtf8();
    iconv_t converter = iconv_open("CP936", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return QByteArray();
    }
    QByteArray result(utf8.size() * 2 + 4, '\0');
    char *in = utf8.data();
    size_t inLeft = static_cast<size_t>(utf8.size());
    char *out = result.data();
    size_t outLeft = static_cast<size_t>(result.size());
    const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    iconv_close(converter);
    if (converted == static_cast<size_t>(-1)) {
        return QByteArray();
    }
    result.truncate(result.size() - static_cast<qsizetype>(outLeft));
    return result;
}

} // namespace quilvet::TypeLibrary
