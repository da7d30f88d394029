#include "AdminOptions.h"

#include "ProgramTexts.h"

namespace brevane::provision {

using namespace brevane::run;

AdminOptionSet::AdminOptionSet()
    : m_verify(QStringLiteral("verify"))
    , m_script(QStringLiteral("script"), {}, QStringLiteral("FILE"))
    , m_ensure(QStringLiteral("ensure"))
    , m_receipt(QStringLiteral("receipt"), {}, QStringLiteral("FILE"))
    , m_undo(QStringLiteral("undo"), {}, QStringLiteral("FILE"))
    , m_yes(QStringLiteral("yes"))
{ }

QList<QCommandLineOption> AdminOptionSet::options() const
{
    return { m_verify, m_script, m_ensure, m_receipt, m_undo, m_yes };
}

std::optional<QString> AdminOptionSet::read(
    const QCommandLineParser &parser, bool json, bool dryRun, AdminOptions &into) const
{
    for (const QCommandLineOption *single : { &m_script, &m_receipt, &m_undo }) {
        if (parser.values(*single).size() > 1)
            return programText(QStringLiteral("--%1 is given more than once")).arg(single->names().first());
    }
    into.verify = parser.isSet(m_verify);
    into.scriptFile = parser.value(m_script);
    into.ensure = parser.isSet(m_ensure);
    into.receiptFile = parser.value(m_receipt);
    into.undoFile = parser.value(m_undo);
    into.yes = parser.isSet(m_yes);
    if (parser.isSet(m_script) && into.scriptFile.isEmpty())
        return programText(QStringLiteral("--script needs a file name, or - for standard output"));
    if (into.scriptFile == u"-" && json)
        return programText(
            QStringLiteral("--script - and --json exclude each other: both would use standard output"));
    if (!into.scriptFile.isEmpty() && (into.ensure || dryRun))
        return programText(
            QStringLiteral("--script changes nothing already; it excludes --ensure and --dry-run"));
    if (!into.receiptFile.isEmpty() && (dryRun || !into.scriptFile.isEmpty()))
        return programText(
            QStringLiteral("--receipt records what a run changes; it excludes --dry-run and --script"));
    if (!into.undoFile.isEmpty()
        && (into.verify || into.ensure || !into.scriptFile.isEmpty() || !into.receiptFile.isEmpty()
            || dryRun))
        return programText(
            QStringLiteral("--undo puts a receipt's changes back; it excludes the options of a run"));
    if (into.yes && into.undoFile.isEmpty())
        return programText(QStringLiteral("--yes only confirms --undo"));
    return std::nullopt;
}

QString AdminOptionSet::helpText()
{
    return QStringLiteral(
        "  --verify            before the restore, have the server verify the backup\n"
        "                      (with its checksums where it has them)\n"
        "  --script FILE       make the checks, then write the run's statements as a\n"
        "                      sqlcmd script to FILE (- for standard output) and change\n"
        "                      nothing\n"
        "  --ensure            leave a database and settings already in place unchanged\n"
        "                      (exit 0, \"changed\": false); write only settings that differ\n"
        "  --receipt FILE      record what the run changes in FILE (mode 0600: it holds\n"
        "                      the settings' previous values, the old password included)\n"
        "  --undo FILE         put back what the receipt FILE records; asks on a terminal\n"
        "  --yes               confirm --undo without asking\n");
}

} // namespace brevane::provision
