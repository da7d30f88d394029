// The property bag file and a control's load and save through the component layer: the
// input is the bag's file. What the bag reads it writes back and reads again unchanged; a
// control created through its class factory loads the bag, and what it saves loads into
// a second control. (Saving that one need not give the same bag: a value equal to the
// maximum is not stored and loads as the layout's maximum.)
#include "ComSupport.h"
#include "FilePropertyBag.h"
#include "FuzzCheck.h"
#include "QuilvetExports.h"
#include "TypeLibrary.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

using namespace quilvet::com;

namespace {

QTemporaryDir *folder;

IPersistPropertyBag *createControl()
{
    IClassFactory *factory = nullptr;
    FUZZ_CHECK(
        DllGetClassObject(quilvet::CLSID_clsQuilvet, IID_IClassFactory, reinterpret_cast<void **>(&factory))
            == S_OK,
        "the class factory is handed out");
    IPersistPropertyBag *control = nullptr;
    FUZZ_CHECK(factory->CreateInstance(nullptr, IID_IPersistPropertyBag, reinterpret_cast<void **>(&control))
            == S_OK,
        "the factory creates the control");
    factory->Release();
    return control;
}

// Arrays, objects and nulls read as a marker that no property accepts and are written
// back as its text, so they are left out of the comparison.
bool sameContents(FilePropertyBag *a, FilePropertyBag *b)
{
    if (a->names() != b->names())
        return false;
    for (const QString &name : a->names()) {
        const QVariant value = a->value(name);
        if (value.metaType().id() != QMetaType::QByteArray && value != b->value(name))
            return false;
    }
    return true;
}

// Saves control into a new bag, through the bag's file.
FilePropertyBag *savedThroughFile(IPersistPropertyBag *control, const QString &path)
{
    FilePropertyBag *bag = FilePropertyBag::create();
    FUZZ_CHECK(control->Save(bag, 1, 0) == S_OK, "a control saves itself");
    FUZZ_CHECK(bag->save(path), "the bag writes its file");
    FilePropertyBag *reread = FilePropertyBag::create();
    FUZZ_CHECK(reread->load(path), "the bag reads its own file");
    FUZZ_CHECK(sameContents(bag, reread), "the bag's file keeps its contents");
    bag->Release();
    return reread;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    static QApplication application(*argc, *argv);
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = folder->filePath(QStringLiteral("input.json"));
    const QString output = folder->filePath(QStringLiteral("saved.json"));
    {
        QFile file(input);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly)
                && file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size),
            "the input file is written");
    }
    FilePropertyBag *bag = FilePropertyBag::create();
    if (!bag->load(input)) {
        bag->Release();
        return 0;
    }
    FUZZ_CHECK(bag->save(output), "the bag writes what it read");
    FilePropertyBag *reread = FilePropertyBag::create();
    FUZZ_CHECK(reread->load(output), "the bag reads what it wrote");
    FUZZ_CHECK(sameContents(bag, reread), "the bag's file keeps its contents");
    reread->Release();

    IPersistPropertyBag *first = createControl();
    const HRESULT loaded = first->Load(bag, nullptr);
    bag->Release();
    if (loaded == S_OK) {
        FilePropertyBag *saved = savedThroughFile(first, output);
        IPersistPropertyBag *second = createControl();
        FUZZ_CHECK(second->Load(saved, nullptr) == S_OK, "a control loads what a control saved");
        savedThroughFile(second, output)->Release();
        saved->Release();
        second->Release();
    }
    first->Release();
    return 0;
}
