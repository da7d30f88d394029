#include "ClassModule.h"

#include "Blanks.h"
#include "Failure.h"

#include <QListWidget>

#include <limits>

namespace brevane {

namespace {

// The platform's buffer for a profile value, terminating zero included.
constexpr int ProfileBufferSize = 1000;

// Counters and results of this class are 16-bit where the platform's were.
constexpr qsizetype Int16Max = std::numeric_limits<qint16>::max();

[[noreturn]] void throwOverflow()
{
    throw Failure(FailureNumber::Overflow, QStringLiteral("Overflow"));
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

ClassModule::ClassModule(profile::AnsiCodePage codePage)
    : m_profile(codePage)
{ }

qint16 ClassModule::GetTimerInStr(const QString &Start, const QString &strFind) const
{
    if (Start.isEmpty()) {
        return -1;
    }
    if (strFind.isEmpty()) {
        return 0;
    }
    qsizetype count = 0;
    for (qsizetype at = Start.indexOf(strFind); at >= 0; at = Start.indexOf(strFind, at + strFind.size())) {
        ++count;
    }
    if (count > Int16Max) {
        throwOverflow();
    }
    return static_cast<qint16>(count);
}

QString ClassModule::SeparateOr(const QString &spo1, const QString &spo2) const
{
    if (spo1.size() != spo2.size()) {
        return {};
    }
    if (spo1.size() > Int16Max) {
        throwOverflow();
    }
    QString result;
    result.reserve(spo1.size());
    for (qsizetype i = 0; i < spo1.size(); ++i) {
        const QChar c1 = spo1[i];
        const QChar c2 = spo2[i];
        if (c1 == u'x') {
            result += c2;
        } else if (c1 == u'z') {
            result += u'1';
        } else if (c2 == u'x') {
            result += c1;
        } else if (c2 == u'z') {
            result += u'1';
        } else if (isDigit(c1) && isDigit(c2)) {
            result += QString::number((c1.unicode() - u'0') * (c2.unicode() - u'0'));
        } else {
            throw Failure(FailureNumber::TypeMismatch, QStringLiteral("Type mismatch"));
        }
    }
    return result;
}

QString ClassModule::GetIniString(const QString &AppName, const QString &Key, const QString &FilePath) const
{
    const QByteArray bytes = m_profile.readString(AppName, Key, QString(), ProfileBufferSize, FilePath);
    QString text = m_profile.codePage().decode(bytes);
    text.remove(QChar(u'\0'));
    return trimBlanks(text);
}

void ClassModule::DeleteIniString(const QString &AppName, const QString &Key, const QString &FilePath) const
{
    m_profile.writeString(AppName, Key, std::nullopt, FilePath);
}

void ClassModule::DeleteIniKeyLeft(const QString &AppName, const QString &FilePath) const
{
    m_profile.clearSection(AppName, FilePath);
}

void ClassModule::DeleteIniKeyAll(const QString &AppName, const QString &FilePath) const
{
    m_profile.writeString(AppName, std::nullopt, std::nullopt, FilePath);
}

void ClassModule::WriteIniFile(
    const QString &AppName, const QString &Key, const QString &Value, const QString &FilePath) const
{
    m_profile.writeString(AppName, Key, Value, FilePath);
}

db::Recordset ClassModule::GetDynamicRecordset(db::Connection &con, const QString &strSql) const
{
    return con.Execute(strSql);
}

qint32 ClassModule::ListInclude_Text(const QListWidget &lstObj, const QString &StrText) const
{
    const profile::AnsiCodePage codePage = m_profile.codePage();
    const QString prefix = codePage.roundTrip(StrText);
    const int count = lstObj.count();
    for (int step = 1; step <= count; ++step) {
        const int index = step % count;
        if (codePage.roundTrip(listText(lstObj, index)).startsWith(prefix, Qt::CaseInsensitive)) {
            return index;
        }
    }
    return -1;
}

void ClassModule::checkItemCounter(int count)
{
    if (count - 1 > Int16Max) {
        throwOverflow();
    }
}

} // namespace brevane
