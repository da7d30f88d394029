#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include <optional>

namespace brevane::provision {

// The options for administrators: verify the backup, write a script instead
// of running, make the run repeatable, keep a receipt, undo a receipt.
struct AdminOptions
{
    bool verify = false;
    QString scriptFile; // "-": standard output
    bool ensure = false;
    QString receiptFile;
    QString undoFile;
    bool yes = false; // the undo goes ahead without asking
};

// Declares the options on a parser and reads them back.
class AdminOptionSet
{
public:
    AdminOptionSet();
    QList<QCommandLineOption> options() const;
    // The options read from `parser`, or the usage error that stops the run.
    std::optional<QString> read(
        const QCommandLineParser &parser, bool json, bool dryRun, AdminOptions &into) const;

    static QString helpText();

private:
    QCommandLineOption m_verify;
    QCommandLineOption m_script;
    QCommandLineOption m_ensure;
    QCommandLineOption m_receipt;
    QCommandLineOption m_undo;
    QCommandLineOption m_yes;
};

} // namespace brevane::provision
