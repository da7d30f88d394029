#pragma once

#include "ComObject.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <quilvet/Component.h>

namespace quilvet::com {

// A property bag kept in memory and, on request, in a file: the store a host
// hands a control to save itself into or load itself from.
//
// File format: a JSON object whose members are the property names with their
// values: true/false for Booleans, numbers for integers, strings for texts.
// Names compare without regard to case. A read of a name that holds nothing
// answers E_INVALIDARG, as the platform's bags do.
class FilePropertyBag final : public ComObject<FilePropertyBag, lifetime::Own, IPropertyBag>
{
public:
    static FilePropertyBag *create(); // reference count 1

    void *interfaceFor(REFIID riid);
    HRESULT QUILVET_COMCALL Read(LPCOLESTR name, VARIANT *value, IErrorLog *errorLog) override;
    HRESULT QUILVET_COMCALL Write(LPCOLESTR name, VARIANT *value) override;

    // Replaces the contents with those of the file; false with a message when it
    // cannot be read or is not such a file.
    bool load(const QString &path, QString *error = nullptr);
    bool save(const QString &path, QString *error = nullptr) const;

    void clear();
    bool contains(const QString &name) const;
    QVariant value(const QString &name) const;
    void setValue(const QString &name, const QVariant &value);
    QStringList names() const;

private:
    FilePropertyBag() = default;
    ~FilePropertyBag() override = default;

    QMap<QString, std::pair<QString, QVariant>> m_values; // folded name -> (name, value)
};

} // namespace quilvet::com
