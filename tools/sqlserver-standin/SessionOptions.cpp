#include "SessionOptions.h"

#include "StatementRunner.h"

namespace standin {

namespace {

constexpr quint8 LanguageEnvironment = 2;

// ON/OFF options that, switched on, make a server answer differently than the stand-in can.
bool changesAnswersWhenOn(const QString &option)
{
    static const QStringList options { QStringLiteral("FMTONLY"), QStringLiteral("NOEXEC"),
        QStringLiteral("PARSEONLY"), QStringLiteral("SHOWPLAN_ALL"), QStringLiteral("SHOWPLAN_TEXT"),
        QStringLiteral("SHOWPLAN_XML"), QStringLiteral("FORCEPLAN"), QStringLiteral("NO_BROWSETABLE") };
    return options.contains(option) || option.startsWith(u"STATISTICS ");
}

class SetRunner : public StatementRunner
{
public:
    using StatementRunner::StatementRunner;

    void run(const SetStatement &statement, int line)
    {
        const QString &option = statement.options.first();
        const QString &value = statement.value;
        if (value == u"ON") {
            for (const QString &each : statement.options) {
                if (changesAnswersWhenOn(each))
                    return refuse(QStringLiteral("SET %1 ON").arg(each), line);
            }
        }
        if (option == u"LANGUAGE") {
            if (value != u"US_ENGLISH" && value != u"ENGLISH")
                return refuse(
                    QStringLiteral("SET LANGUAGE %1; it answers in us_english only").arg(value), line);
            m_sink.environmentChange(
                LanguageEnvironment, QStringLiteral("us_english"), QStringLiteral("us_english"));
            m_sink.message(serverMessage(Msg::LanguageChanged));
        } else if (option == u"DATEFORMAT") {
            static const QStringList orders { QStringLiteral("MDY"), QStringLiteral("DMY"),
                QStringLiteral("YMD"), QStringLiteral("YDM"), QStringLiteral("MYD"), QStringLiteral("DYM") };
            if (!orders.contains(value))
                return fail({ serverMessage(Msg::InvalidDateFormat, { value.toLower() }) }, line);
        } else if (option == u"ROWCOUNT" && value != u"0") {
            return refuse(QStringLiteral("SET ROWCOUNT %1").arg(value), line);
        }
        for (const QString &each : statement.options) {
            if (each == u"NOCOUNT" && m_batch.options)
                m_batch.options->noCount = value == u"ON";
            else if (m_batch.options)
                m_batch.options->others.insert(each, value);
        }
        finish(DoneStatus::Final);
    }

private:
    void refuse(const QString &what, int line)
    {
        fail({ serverMessage(Msg::UserDefined,
                 { QStringLiteral("The SQL Server stand-in does not run %1.").arg(what) }) },
            line);
    }
};

} // namespace

void runSet(BatchState &batch, const SetStatement &statement, int line)
{
    SetRunner(batch).run(statement, line);
}

} // namespace standin
