#pragma once

#include <QList>
#include <QString>
#include <quilvet/Component.h>

// What a host learns of a control from its type information alone: the class,
// the properties of its default interface with their dispatch ids, types and
// help strings, and the events of its default event source.
struct TypeDescription
{
    struct Member
    {
        QString name;
        quilvet::com::DISPID id = 0;
        quilvet::com::VARTYPE type = quilvet::com::VT_EMPTY; // VT_EMPTY for events
        QString helpString;
        bool hasGet = false;
        bool hasPut = false;
    };

    QString className;
    QString classId;
    QString libraryName;
    QString libraryHelp;
    quilvet::com::WORD majorVersion = 0;
    quilvet::com::WORD minorVersion = 0;
    QString defaultInterface;
    QString defaultInterfaceId;
    QString eventInterface;
    quilvet::com::IID eventInterfaceId {};
    QList<Member> properties; // in the order of the interface's functions
    QList<Member> events;

    // Reads the type information of the object's class (IProvideClassInfo);
    // false with a message when the object offers none.
    static bool read(quilvet::com::IUnknown *object, TypeDescription *description, QString *error);
    // Reads the type information of a class as its type library gives it.
    static bool readClass(quilvet::com::ITypeInfo *classInfo, TypeDescription *description, QString *error);
    // Reads the class registered under progId from the type library its
    // registration names, without creating the class.
    static bool readRegistered(const QString &progId, TypeDescription *description, QString *error);

    // The description as lines of text for --describe.
    QString text() const;
};
