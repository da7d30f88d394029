#include "FilePropertyBag.h"

#include "ComSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

namespace quilvet::com {

FilePropertyBag *FilePropertyBag::create()
{
    return new FilePropertyBag();
}

void *FilePropertyBag::interfaceFor(REFIID riid)
{
    return IsEqualGUID(riid, IID_IPropertyBag) ? static_cast<IPropertyBag *>(this) : nullptr;
}

HRESULT FilePropertyBag::Read(LPCOLESTR name, VARIANT *value, IErrorLog *)
{
    if (!name || !value) {
        return E_POINTER;
    }
    const auto found = m_values.constFind(fromOleText(name).toCaseFolded());
    if (found == m_values.cend()) {
        return E_INVALIDARG;
    }
    // The caller may ask for a type by setting it on entry; VT_EMPTY takes the stored one.
    const VARTYPE wanted = value->vt;
    VARIANT stored;
    fromQVariant(found->second, &stored);
    if (wanted == VT_EMPTY || wanted == stored.vt) {
        *value = stored;
        return S_OK;
    }
    VariantInit(value);
    const HRESULT hr = VariantChangeType(value, &stored, 0, wanted);
    VariantClear(&stored);
    return hr;
}

HRESULT FilePropertyBag::Write(LPCOLESTR name, VARIANT *value)
{
    if (!name || !value) {
        return E_POINTER;
    }
    const QVariant converted = toQVariant(*value);
    if (converted.metaType().id() == QMetaType::QByteArray) {
        return DISP_E_BADVARTYPE;
    }
    setValue(fromOleText(name), converted);
    return S_OK;
}

bool FilePropertyBag::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        if (error) {
            *error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                  : QStringLiteral("not a JSON object");
        }
        return false;
    }
    clear();
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QJsonValue stored = it.value();
        QVariant value;
        if (stored.isBool()) {
            value = stored.toBool();
        } else if (stored.isDouble()) {
            const double number = stored.toDouble();
            if (number == std::floor(number) && number >= -2147483648.0 && number <= 2147483647.0) {
                value = QVariant::fromValue<qint32>(static_cast<qint32>(number));
            } else {
                value = number;
            }
        } else if (stored.isString()) {
            value = stored.toString();
        } else {
            // Arrays, objects and nulls are kept as something no property accepts.
            value = QVariant(QByteArray("json"));
        }
        setValue(it.key(), value);
    }
    return true;
}

bool FilePropertyBag::save(const QString &path, QString *error) const
{
    QJsonObject object;
    for (const auto &[name, value] : m_values) {
        switch (value.metaType().id()) {
        case QMetaType::Bool:
            object.insert(name, value.toBool());
            break;
        case QMetaType::Short:
        case QMetaType::Int:
            object.insert(name, value.toInt());
            break;
        case QMetaType::Double:
            object.insert(name, value.toDouble());
            break;
        default:
            object.insert(name, value.toString());
            break;
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    file.write(QJsonDocument(object).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

void FilePropertyBag::clear()
{
    m_values.clear();
}

bool FilePropertyBag::contains(const QString &name) const
{
    return m_values.contains(name.toCaseFolded());
}

QVariant FilePropertyBag::value(const QString &name) const
{
    const auto found = m_values.constFind(name.toCaseFolded());
    return found == m_values.cend() ? QVariant() : found->second;
}

void FilePropertyBag::setValue(const QString &name, const QVariant &value)
{
    m_values.insert(name.toCaseFolded(), { name, value });
}

QStringList FilePropertyBag::names() const
{
    QStringList result;
    for (const auto &entry : m_values) {
        result.append(entry.first);
    }
    return result;
}

} // namespace quilvet::com
