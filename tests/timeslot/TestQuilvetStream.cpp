#include "ComSupport.h"
#include "DispatchCalls.h"
#include "FilePropertyBag.h"
#include "MemoryStream.h"
#include "PropertyTable.h"
#include "QuilvetExports.h"

#include <QTest>
#include <QtEndian>
#include <quilvet/Component.h>

using namespace quilvet::com;
using namespace quilvet;

// Saving through a stream, as hosts that keep controls in streams do: the same
// steps and defaults as a property bag, in the library's own stream format.
class TestQuilvetStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shouldReloadFromAStreamWhatABagReloads_data();
    void shouldReloadFromAStreamWhatABagReloads();
    void shouldRefuseAnInvalidStreamAndKeepTheControl_data();
    void shouldRefuseAnInvalidStreamAndKeepTheControl();

private:
    static ComPtr<IDispatch> createControl();
    template<typename I> static ComPtr<I> query(IDispatch *object, REFIID riid);
    static QVariantList values(IDispatch *object);
};

ComPtr<IDispatch> TestQuilvetStream::createControl()
{
    ComPtr<IClassFactory> factory;
    ComPtr<IDispatch> object;
    if (SUCCEEDED(DllGetClassObject(CLSID_clsQuilvet, IID_IClassFactory, factory.putVoid()))) {
        factory->CreateInstance(nullptr, IID_IDispatch, object.putVoid());
    }
    return object;
}

template<typename I> ComPtr<I> TestQuilvetStream::query(IDispatch *object, REFIID riid)
{
    ComPtr<I> result;
    object->QueryInterface(riid, result.putVoid());
    return result;
}

QVariantList TestQuilvetStream::values(IDispatch *object)
{
    QVariantList list;
    for (const PropertyInfo &property : Properties) {
        list << get(object, property.dispatchId);
    }
    return list;
}

void TestQuilvetStream::shouldReloadFromAStreamWhatABagReloads_data()
{
    QTest::addColumn<int>("max");
    QTest::addColumn<bool>("edited"); // false: every property at its default

    for (const int max : { 24, 48, 96, 1440 }) {
        QTest::addRow("Max %d, the period ending at the end of the day", max) << max << true;
    }
    QTest::newRow("a new control") << 48 << false;
}

void TestQuilvetStream::shouldReloadFromAStreamWhatABagReloads()
{
    QFETCH(int, max);
    QFETCH(bool, edited);
    const ComPtr<IDispatch> original = createControl();
    QVERIFY(original);
    const auto persist = query<IPersistStreamInit>(original.get(), IID_IPersistStreamInit);
    QVERIFY(persist);
    QCOMPARE(persist->InitNew(), S_OK);
    QCOMPARE(persist->IsDirty(), S_FALSE);
    if (edited) {
        QCOMPARE(put(original.get(), 0x68030009, max), S_OK);
        QCOMPARE(put(original.get(), 0x68030012, max), S_OK);
        QCOMPARE(put(original.get(), 0x68030010, max * 2 / 3), S_OK);
        QCOMPARE(put(original.get(), 0x68030011, QStringLiteral("晚场 evening")), S_OK);
        QCOMPARE(put(original.get(), 0x6803000F, QStringLiteral("90")), S_OK);
        QCOMPARE(put(original.get(), 0x68030003, QStringLiteral("40.5")), S_OK);
        QCOMPARE(put(original.get(), 0x68030013, false), S_OK);
        QCOMPARE(persist->IsDirty(), S_OK);
    }

    ComPtr<FilePropertyBag> bag;
    *bag.put() = FilePropertyBag::create();
    QCOMPARE(
        query<IPersistPropertyBag>(original.get(), IID_IPersistPropertyBag)->Save(bag.get(), 0, 1), S_OK);
    ComPtr<MemoryStream> stream;
    *stream.put() = MemoryStream::create();
    QCOMPARE(persist->Save(stream.get(), 0), S_OK);
    QCOMPARE(persist->IsDirty(), edited ? S_OK : S_FALSE);
    ULARGE_INTEGER size {};
    QCOMPARE(persist->GetSizeMax(&size), S_OK);
    QCOMPARE(qsizetype(size.QuadPart), stream->bytes().size());
    QCOMPARE(persist->Save(stream.get(), 1), S_OK);
    QCOMPARE(persist->IsDirty(), S_FALSE);
    // The same entries as the bag holds, after the 12 bytes of the header.
    QCOMPARE(qFromLittleEndian<quint16>(stream->bytes().constData() + 6), quint16(bag->names().size()));

    const ComPtr<IDispatch> fromBag = createControl();
    QCOMPARE(
        query<IPersistPropertyBag>(fromBag.get(), IID_IPersistPropertyBag)->Load(bag.get(), nullptr), S_OK);
    const ComPtr<IDispatch> fromStream = createControl();
    const auto loader = query<IPersistStream>(fromStream.get(), IID_IPersistStream);
    QVERIFY(loader);
    LARGE_INTEGER start {};
    QCOMPARE(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    QCOMPARE(loader->Load(stream.get()), S_OK);
    QCOMPARE(loader->IsDirty(), S_FALSE);

    QCOMPARE(values(fromStream.get()), values(fromBag.get()));
    QCOMPARE(values(fromStream.get()), values(original.get()));
}

void TestQuilvetStream::shouldRefuseAnInvalidStreamAndKeepTheControl_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<HRESULT>("expected");

    // "Max" as VT_I4 96: type, name length, name, value.
    const QByteArray maxEntry = QByteArray::fromHex("0300"
                                                    "0300"
                                                    "4d006100780060000000");
    const auto header = [](const char *version, const char *count, quint32 length) {
        QByteArray bytes = QByteArray("QVPS") + QByteArray::fromHex(version) + QByteArray::fromHex(count);
        char size[4];
        qToLittleEndian(length, size);
        return bytes + QByteArray(size, 4);
    };
    QTest::newRow("no signature") << QByteArray("QVPX").append(header("0100", "0100", 14).mid(4)) + maxEntry
                                  << STG_E_INVALIDHEADER;
    QTest::newRow("a newer format") << header("0200", "0100", 14) + maxEntry << STG_E_OLDDLL;
    QTest::newRow("cut short") << header("0100", "0100", 14) + maxEntry.left(9) << STG_E_READFAULT;
    QTest::newRow("a length beyond reason") << header("0100", "0100", 0xFFFFFFF0) << STG_E_INVALIDHEADER;
    QTest::newRow("an unknown type") << header("0100", "0100", 14)
            + QByteArray("\x09").append(maxEntry.mid(1))
                                     << STG_E_READFAULT;
    QTest::newRow("more entries than counted") << header("0100", "0000", 14) + maxEntry << STG_E_READFAULT;
    QTest::newRow("an empty stream") << QByteArray() << STG_E_READFAULT;
}

void TestQuilvetStream::shouldRefuseAnInvalidStreamAndKeepTheControl()
{
    QFETCH(QByteArray, bytes);
    QFETCH(HRESULT, expected);
    const ComPtr<IDispatch> control = createControl();
    QCOMPARE(put(control.get(), 0x68030009, 24), S_OK);
    const QVariantList before = values(control.get());
    ComPtr<MemoryStream> stream;
    *stream.put() = MemoryStream::create(bytes);
    QCOMPARE(query<IPersistStreamInit>(control.get(), IID_IPersistStreamInit)->Load(stream.get()), expected);
    QCOMPARE(values(control.get()), before);
}

QTEST_MAIN(TestQuilvetStream)
#include "TestQuilvetStream.moc"
