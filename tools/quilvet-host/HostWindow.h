#pragma once

#include "ComSupport.h"
#include "ControlFile.h"
#include "HostSink.h"

#include <QHash>
#include <QMainWindow>

#include <memory>

class QPlainTextEdit;

// A window that hosts one clsQuilvet as a host of the component would: it finds
// the class by its programmatic identifier in the per-user registry, creates it
// through the library's class factory, places its widget, connects to its events
// and change notices, and saves and restores its properties in a file.
class HostWindow : public QMainWindow
{
    Q_OBJECT

public:
    using IDispatch = quilvet::com::IDispatch;
    using IConnectionPoint = quilvet::com::IConnectionPoint;
    using DISPID = quilvet::com::DISPID;
    using DWORD = quilvet::com::DWORD;

    struct Options
    {
        QString storePath; // where the control's properties are kept
        QString defaultLibrary; // registered when the class is not registered yet
        ControlFile::Format storeFormat = ControlFile::Format::PropertyBag;
    };

    explicit HostWindow(Options options, QWidget *parent = nullptr);
    ~HostWindow() override;

    // Creates the control and loads its properties (or gives it its defaults).
    bool start(QString *error);
    bool save(QString *error);

    QWidget *controlWidget() const { return m_widget; }
    IDispatch *control() const { return m_control.get(); }
    QStringList log() const { return m_lines; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void append(const QString &line);
    QVariant get(const QString &name) const;
    QString periodText() const;
    void onEvent(DISPID id);
    void onChanged(DISPID id);

    Options m_options;
    quilvet::com::ComPtr<IDispatch> m_control;
    quilvet::com::ComPtr<IConnectionPoint> m_eventPoint;
    quilvet::com::ComPtr<IConnectionPoint> m_notifyPoint;
    DWORD m_eventCookie = 0;
    DWORD m_notifyCookie = 0;
    std::unique_ptr<HostSink> m_sink;
    QHash<QString, DISPID> m_ids;
    QHash<DISPID, QString> m_names;
    QHash<DISPID, QString> m_eventNames;
    QWidget *m_widget = nullptr;
    QPlainTextEdit *m_logView = nullptr;
    QStringList m_lines;
};
