#include "HostWindow.h"

#include "ControlFile.h"
#include "TypeDescription.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>
#include <quilvet/Component.h>

using namespace quilvet::com;

namespace {

// The one thing this host knows of the control beforehand: its programmatic
// identifier. Members and the event interface come from its type information.
const QString ProgId = QString::fromUtf16(quilvet::ProgId_clsQuilvet);

using ControlFile::statusText;

} // namespace

HostWindow::HostWindow(Options options, QWidget *parent)
    : QMainWindow(parent)
    , m_options(std::move(options))
{
    setWindowTitle(QStringLiteral("quilvet-host"));
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    m_logView = new QPlainTextEdit(central);
    m_logView->setReadOnly(true);
    m_logView->setMaximumBlockCount(5000);
    auto *buttons = new QHBoxLayout();
    auto *saveButton = new QPushButton(QStringLiteral("&Save"), central);
    auto *clearButton = new QPushButton(QStringLiteral("&Clear log"), central);
    buttons->addWidget(
        new QLabel(QStringLiteral("Store: ") + QDir::toNativeSeparators(m_options.storePath), central), 1);
    buttons->addWidget(clearButton);
    buttons->addWidget(saveButton);
    layout->addLayout(buttons);
    layout->addWidget(m_logView, 1);
    setCentralWidget(central);
    resize(760, 420);

    connect(saveButton, &QPushButton::clicked, this, [this] {
        QString error;
        if (!save(&error)) {
            append(QStringLiteral("Save failed: ") + error);
        }
    });
    connect(clearButton, &QPushButton::clicked, this, [this] {
        m_lines.clear();
        m_logView->clear();
    });
    m_sink = std::make_unique<HostSink>(
        [this](DISPID id) { onEvent(id); }, [this](DISPID id) { onChanged(id); });
}

HostWindow::~HostWindow()
{
    if (m_eventPoint) {
        m_eventPoint->Unadvise(m_eventCookie);
    }
    if (m_notifyPoint) {
        m_notifyPoint->Unadvise(m_notifyCookie);
    }
    m_eventPoint.reset();
    m_notifyPoint.reset();
    // The object takes its widget with it.
    m_control.reset();
}

bool HostWindow::start(QString *error)
{
    const auto fail = [&](const QString &message) {
        if (error) {
            *error = message;
        }
        append(message);
        return false;
    };

    CLSID clsid {};
    HRESULT hr = classIdFromProgId(ProgId, &clsid);
    if (FAILED(hr) && !m_options.defaultLibrary.isEmpty()) {
        append(QStringLiteral("%1 is not registered; registering %2").arg(ProgId, m_options.defaultLibrary));
        QString registerError;
        hr = registerServer(m_options.defaultLibrary, false, &registerError);
        if (FAILED(hr)) {
            return fail(QStringLiteral("Registration failed (%1) %2").arg(statusText(hr), registerError));
        }
        hr = classIdFromProgId(ProgId, &clsid);
    }
    if (FAILED(hr)) {
        return fail(QStringLiteral("%1 is not registered (%2)").arg(ProgId, statusText(hr)));
    }
    append(QStringLiteral("Creating %1 %2 from %3").arg(ProgId, guidText(clsid), inprocServerPath(clsid)));
    hr = createInstance(clsid, nullptr, IID_IDispatch, m_control.putVoid());
    if (FAILED(hr)) {
        return fail(QStringLiteral("Creating the control failed (%1)").arg(statusText(hr)));
    }

    TypeDescription description;
    QString describeError;
    if (!TypeDescription::read(m_control.get(), &description, &describeError)) {
        return fail(QStringLiteral("The control describes no type: ") + describeError);
    }
    for (const TypeDescription::Member &property : description.properties) {
        auto *text = const_cast<LPOLESTR>(reinterpret_cast<LPCOLESTR>(property.name.utf16()));
        DISPID id = DISPID_UNKNOWN;
        if (SUCCEEDED(m_control->GetIDsOfNames(IID_NULL, &text, 1, 0x0409, &id))) {
            m_ids.insert(property.name, id);
            m_names.insert(id, property.name);
        }
    }
    for (const TypeDescription::Member &event : description.events) {
        m_eventNames.insert(event.id, event.name);
    }
    m_sink->setEventInterface(description.eventInterfaceId);

    ComPtr<IConnectionPointContainer> container;
    if (SUCCEEDED(m_control->QueryInterface(IID_IConnectionPointContainer, container.putVoid()))) {
        if (SUCCEEDED(container->FindConnectionPoint(description.eventInterfaceId, m_eventPoint.put()))) {
            m_eventPoint->Advise(static_cast<IDispatch *>(m_sink.get()), &m_eventCookie);
        }
        if (SUCCEEDED(container->FindConnectionPoint(IID_IPropertyNotifySink, m_notifyPoint.put()))) {
            m_notifyPoint->Advise(static_cast<IPropertyNotifySink *>(m_sink.get()), &m_notifyCookie);
        }
    }

    if (QFileInfo::exists(m_options.storePath)) {
        QString loadError;
        hr = ControlFile::load(m_control.get(), m_options.storePath, m_options.storeFormat, &loadError);
        if (!loadError.isEmpty()) {
            return fail(QStringLiteral("Cannot read %1: %2").arg(m_options.storePath, loadError));
        }
        append(QStringLiteral("Loaded the properties from %1 (%2)").arg(m_options.storePath, statusText(hr)));
    } else {
        ComPtr<IPersistPropertyBag> persist;
        hr = m_control->QueryInterface(IID_IPersistPropertyBag, persist.putVoid());
        if (FAILED(hr)) {
            return fail(QStringLiteral("The control cannot be persisted (%1)").arg(statusText(hr)));
        }
        hr = persist->InitNew();
        append(QStringLiteral("New control: defaults (%1)").arg(statusText(hr)));
    }

    ComPtr<IQtControl> qt;
    if (FAILED(m_control->QueryInterface(IID_IQtControl, qt.putVoid())) || FAILED(qt->GetWidget(&m_widget))) {
        return fail(QStringLiteral("The control has no widget for this host"));
    }
    static_cast<QVBoxLayout *>(centralWidget()->layout())->insertWidget(0, m_widget, 0, Qt::AlignLeft);
    append(QStringLiteral("Ready: ") + periodText());
    return SUCCEEDED(hr);
}

bool HostWindow::save(QString *error)
{
    if (!m_control) {
        return true;
    }
    QString message;
    const bool saved
        = ControlFile::save(m_control.get(), m_options.storePath, m_options.storeFormat, &message);
    if (!saved) {
        if (error) {
            *error = message;
        }
        return false;
    }
    append(QStringLiteral("Saved the properties to ") + m_options.storePath);
    return true;
}

void HostWindow::closeEvent(QCloseEvent *event)
{
    QString error;
    if (!save(&error)) {
        append(QStringLiteral("Save failed: ") + error);
    }
    event->accept();
}

void HostWindow::append(const QString &line)
{
    m_lines.append(line);
    m_logView->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz  ")) + line);
}

QVariant HostWindow::get(const QString &name) const
{
    const auto found = m_ids.constFind(name);
    if (!m_control || found == m_ids.cend()) {
        return QVariant();
    }
    DISPPARAMS none { nullptr, nullptr, 0, 0 };
    VARIANT result;
    VariantInit(&result);
    m_control->Invoke(*found, IID_NULL, 0x0409, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
    const QVariant value = toQVariant(result);
    VariantClear(&result);
    return value;
}

QString HostWindow::periodText() const
{
    return QStringLiteral("Value=%1 SelStart=%2 SelLength=%3 %4-%5")
        .arg(get(QStringLiteral("Value")).toInt())
        .arg(get(QStringLiteral("SelStart")).toInt())
        .arg(get(QStringLiteral("SelLength")).toInt())
        .arg(get(QStringLiteral("BeginTime")).toString(), get(QStringLiteral("EndTime")).toString());
}

void HostWindow::onEvent(DISPID id)
{
    append(m_eventNames.value(id, QStringLiteral("event %1").arg(id)) + QStringLiteral("  ") + periodText());
}

void HostWindow::onChanged(DISPID id)
{
    append(QStringLiteral("PropertyChanged ") + m_names.value(id, QString::number(id)));
}
