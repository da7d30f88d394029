// A minimal host of clsQuilvet: it creates the control the way the product's
// hosts do, through its registration, binds a property by name, reads it by
// dispatch and through the dual interface, and shows the control.
//
//   minimal-host [LIBRARY]   registers LIBRARY first, as an installer would

#include <QApplication>
#include <QWidget>
#include <quilvet/Component.h>

#include <cstdio>

using namespace quilvet::com;

namespace {

int fail(const char *what, HRESULT hr)
{
    std::fprintf(stderr, "minimal-host: %s failed (0x%08x)\n", what, static_cast<unsigned>(hr));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    if (argc > 1) {
        QString error;
        const HRESULT hr = registerServer(QString::fromLocal8Bit(argv[1]), false, &error);
        if (FAILED(hr)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return fail("registering the library", hr);
        }
    }

    // The class by its programmatic identifier, from the per-user registry.
    CLSID clsid {};
    HRESULT hr = classIdFromProgId(QString::fromUtf16(quilvet::ProgId_clsQuilvet), &clsid);
    if (FAILED(hr)) {
        return fail("finding Quilvet.clsQuilvet", hr);
    }
    IDispatch *control = nullptr;
    hr = createInstance(clsid, nullptr, IID_IDispatch, reinterpret_cast<void **>(&control));
    if (FAILED(hr)) {
        return fail("creating the control", hr);
    }

    // Late binding: the dispatch id of "Max" by name, then a property get.
    OLECHAR name[] = u"Max";
    LPOLESTR names[] = { name };
    DISPID maxId = DISPID_UNKNOWN;
    hr = control->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &maxId);
    if (FAILED(hr)) {
        return fail("binding Max", hr);
    }
    DISPPARAMS noArguments { nullptr, nullptr, 0, 0 };
    VARIANT max;
    VariantInit(&max);
    hr = control->Invoke(maxId, IID_NULL, 0x0409, DISPATCH_PROPERTYGET, &noArguments, &max, nullptr, nullptr);
    if (FAILED(hr)) {
        return fail("reading Max", hr);
    }
    std::printf("Max = %d\n", static_cast<int>(max.lVal));

    // Early binding: the dual interface's table of functions.
    quilvet::_clsQuilvet *dual = nullptr;
    hr = control->QueryInterface(quilvet::IID__clsQuilvet, reinterpret_cast<void **>(&dual));
    if (FAILED(hr)) {
        return fail("asking for _clsQuilvet", hr);
    }
    BSTR endTime = nullptr;
    dual->get_EndTime(&endTime);
    std::printf("EndTime = %s\n", qPrintable(QString::fromUtf16(endTime, SysStringLen(endTime))));
    SysFreeString(endTime);
    dual->Release();

    // A Qt host places the control's widget in its own window.
    IQtControl *qt = nullptr;
    QWidget *widget = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IQtControl, reinterpret_cast<void **>(&qt)))) {
        qt->GetWidget(&widget);
        qt->Release();
    }
    QWidget window;
    if (widget) {
        widget->setParent(&window);
        window.show();
        QApplication::processEvents();
        std::printf("shown: %dx%d\n", widget->width(), widget->height());
    }
    control->Release(); // takes the widget with it
    return 0;
}
