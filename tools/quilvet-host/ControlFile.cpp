#include "ControlFile.h"

#include "ComSupport.h"
#include "FilePropertyBag.h"
#include "MemoryStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace quilvet::com;

namespace ControlFile {

QString statusText(HRESULT hr)
{
    return QStringLiteral("0x%1").arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
}

namespace {

template<typename I> ComPtr<I> persistence(IDispatch *control, REFIID riid, QString *error)
{
    ComPtr<I> persist;
    const HRESULT hr = control->QueryInterface(riid, persist.putVoid());
    if (FAILED(hr) && error) {
        *error = QStringLiteral("the control cannot be persisted this way (%1)").arg(statusText(hr));
    }
    return persist;
}

HRESULT loadStream(IDispatch *control, const QString &path, QString *error)
{
    const auto persist = persistence<IPersistStreamInit>(control, IID_IPersistStreamInit, error);
    QFile file(path);
    if (!persist || !file.open(QIODevice::ReadOnly)) {
        if (persist && error) {
            *error = file.errorString();
        }
        return E_FAIL;
    }
    ComPtr<MemoryStream> stream;
    *stream.put() = MemoryStream::create(file.readAll());
    return persist->Load(stream.get());
}

HRESULT loadBag(IDispatch *control, const QString &path, QString *error)
{
    const auto persist = persistence<IPersistPropertyBag>(control, IID_IPersistPropertyBag, error);
    ComPtr<FilePropertyBag> bag;
    *bag.put() = FilePropertyBag::create();
    if (!persist || !bag->load(path, error)) {
        return E_FAIL;
    }
    return persist->Load(bag.get(), nullptr);
}

bool writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        return true;
    }
    if (error) {
        *error = file.errorString();
    }
    return false;
}

} // namespace

HRESULT load(IDispatch *control, const QString &path, Format format, QString *error)
{
    return format == Format::Stream ? loadStream(control, path, error) : loadBag(control, path, error);
}

bool save(IDispatch *control, const QString &path, Format format, QString *error)
{
    HRESULT hr = E_FAIL;
    if (format == Format::Stream) {
        ComPtr<MemoryStream> stream;
        *stream.put() = MemoryStream::create();
        if (const auto persist = persistence<IPersistStreamInit>(control, IID_IPersistStreamInit, error)) {
            hr = persist->Save(stream.get(), 1);
            if (SUCCEEDED(hr)) {
                return writeWhole(path, stream->bytes(), error);
            }
        }
    } else {
        ComPtr<FilePropertyBag> bag;
        *bag.put() = FilePropertyBag::create();
        if (const auto persist = persistence<IPersistPropertyBag>(control, IID_IPersistPropertyBag, error)) {
            hr = persist->Save(bag.get(), 1, 0);
            if (SUCCEEDED(hr)) {
                QDir().mkpath(QFileInfo(path).absolutePath());
                return bag->save(path, error);
            }
        }
    }
    if (FAILED(hr) && error && error->isEmpty()) {
        *error = QStringLiteral("the control refused to save (%1)").arg(statusText(hr));
    }
    return false;
}

} // namespace ControlFile
