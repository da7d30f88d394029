#include "BagPropertyStore.h"

#include "ComSupport.h"
#include "PropertyValue.h"
#include "QuilvetError.h"

namespace quilvet {

namespace {

[[noreturn]] void throwBagFailure(HRESULT hr, const char *operation, const QString &name)
{
    throw Error(hr,
        QStringLiteral("%1 of \"%2\" failed (0x%3)")
            .arg(QLatin1String(operation), name)
            .arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0')),
        QStringLiteral("PropertyBag"));
}

} // namespace

BagPropertyStore::BagPropertyStore(IPropertyBag *bag)
    : m_bag(bag)
{ }

QVariant BagPropertyStore::readProperty(const QString &name, const QVariant &defaultValue)
{
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = m_bag->Read(reinterpret_cast<LPCOLESTR>(name.utf16()), &value, nullptr);
    if (hr == E_INVALIDARG) {
        m_held.insert(name.toCaseFolded(), false);
        return defaultValue;
    }
    if (FAILED(hr)) {
        throwBagFailure(hr, "Reading", name);
    }
    m_held.insert(name.toCaseFolded(), true);
    const QVariant result = quilvet::com::toQVariant(value);
    VariantClear(&value);
    return result;
}

std::optional<bool> BagPropertyStore::holds(const QString &name) const
{
    const auto found = m_held.constFind(name.toCaseFolded());
    return found == m_held.cend() ? std::nullopt : std::optional<bool>(*found);
}

void BagPropertyStore::writeProperty(const QString &name, const QVariant &value, const QVariant &defaultValue)
{
    if (PropertyValue::equals(value, defaultValue)) {
        return;
    }
    VARIANT stored;
    quilvet::com::fromQVariant(value, &stored);
    const HRESULT hr = m_bag->Write(reinterpret_cast<LPCOLESTR>(name.utf16()), &stored);
    VariantClear(&stored);
    if (FAILED(hr)) {
        throwBagFailure(hr, "Writing", name);
    }
}

} // namespace quilvet
