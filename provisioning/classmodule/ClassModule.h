#pragma once

#include "Connection.h"
#include "ListControl.h"
#include "PrivateProfile.h"

#include <QString>

class QListWidget;

namespace brevane {

// The program's utility class: counting and combining texts, the five
// methods on private-profile files, running a statement that returns rows,
// and looking a text up in a list control. It keeps no state between calls,
// and none of its methods catches a failure: every one reaches the caller as
// a brevane::Failure. Its ANSI code page is the platform's unless given.
class ClassModule
{
public:
    explicit ClassModule(profile::AnsiCodePage codePage = profile::AnsiCodePage::system());

    // The number of times strFind occurs in Start (exact, non-overlapping):
    // -1 for an empty Start, 0 for an empty strFind. More than 32767 fails
    // with Overflow (6).
    qint16 GetTimerInStr(const QString &Start, const QString &strFind) const;

    // Combines two pattern texts of equal length position by position: "x"
    // takes the other text's character, "z" gives "1", two digits give their
    // product. Texts of different lengths give the empty text. A non-digit
    // left to multiply fails with Type mismatch (13); texts longer than 32767
    // characters fail with Overflow (6).
    QString SeparateOr(const QString &spo1, const QString &spo2) const;

    // The value of Key in section AppName, at most 999 bytes of it, without
    // NULs and without blanks at either end; the empty text when the file,
    // the section or the key is missing.
    QString GetIniString(const QString &AppName, const QString &Key, const QString &FilePath) const;
    // Removes Key from section AppName.
    void DeleteIniString(const QString &AppName, const QString &Key, const QString &FilePath) const;
    // Removes every key of section AppName and keeps its header line.
    void DeleteIniKeyLeft(const QString &AppName, const QString &FilePath) const;
    // Removes section AppName with its header and all its keys.
    void DeleteIniKeyAll(const QString &AppName, const QString &FilePath) const;
    // Sets Key of section AppName to Value, creating key, section and file as needed.
    void WriteIniFile(
        const QString &AppName, const QString &Key, const QString &Value, const QString &FilePath) const;

    // The recordset that running strSql on con yields.
    db::Recordset GetDynamicRecordset(db::Connection &con, const QString &strSql) const;

    // The index of the first item that begins with StrText, letter case
    // ignored and both texts taken as the code page holds them; the search
    // starts after item 0 and comes to item 0 last. -1 when none matches.
    qint32 ListInclude_Text(const QListWidget &lstObj, const QString &StrText) const;

    // The index of the first item whose text equals StrText exactly; -1 when
    // none does. The item counter is 16-bit: a list whose last index does not
    // fit in it (more than 32768 items) fails with Overflow (6).
    template<ListControl Control>
    qint32 ComboInclude_Text(const Control &lstObj, const QString &StrText) const
    {
        const int count = listCount(lstObj);
        checkItemCounter(count);
        for (int index = 0; index < count; ++index) {
            if (listText(lstObj, index) == StrText) {
                return index;
            }
        }
        return -1;
    }

private:
    static void checkItemCounter(int count);

    profile::PrivateProfile m_profile;
};

} // namespace brevane
