#pragma once

#include "SettingsEntries.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace brevane::admin {

// One file of the database the run left, with what it looked like then.
struct ReceiptFile
{
    QString logicalName;
    QString physicalName;
    qint64 bytes = -1; // -1: not visible on this machine
    qint64 modifiedMs = -1;
};

// A settings entry the run wrote: its value before, and a salted digest of
// the value written (so the password written is not kept).
struct ReceiptEntry
{
    QString section;
    QString key;
    std::optional<QString> before;
    QString afterDigest;
    bool sectionBefore = true;
};

// What one run changed, kept so that an undo can put it back: the database
// it left (with its files), the dump device before and after, and the
// settings entries' previous values. Holds the old password, so the file is
// the owner's alone (mode 0600).
struct RunReceipt
{
    QString server;
    QString user;
    QString status; // started, finished, failed, cancelled
    QString database;
    bool databaseLeft = false;
    QList<ReceiptFile> files;
    QString deviceName;
    std::optional<QString> deviceBefore; // nullopt: absent
    std::optional<QString> deviceAfter;
    QString settingsFile;
    bool settingsWritten = false;
    QList<ReceiptEntry> settings;
    QString salt;

    QString digest(const QString &value) const;

    QJsonObject toJson() const;
    static std::optional<RunReceipt> fromJson(const QJsonObject &object, QString *error);

    // Replaces `path` as a whole; the file never exists with other modes.
    bool write(const QString &path, QString *error) const;
    static std::optional<RunReceipt> read(const QString &path, QString *error);
};

// The file as the server's path names it, seen on this machine now.
ReceiptFile observeFile(const QString &logicalName, const QString &physicalName);

} // namespace brevane::admin
