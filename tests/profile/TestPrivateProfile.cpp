#include "PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using brevane::profile::AnsiCodePage;
using brevane::profile::PrivateProfile;
using brevane::profile::WriteRefusal;

namespace {

// One call of the profile functions: set, delete a key, delete a section, or
// write a section with an empty key list.
struct Call
{
    enum Kind { Write, ClearSection } kind = Write;
    QString section;
    std::optional<QString> key;
    std::optional<QString> value;
};

Call set(const QString &section, const QString &key, const QString &value)
{
    return { Call::Write, section, key, value };
}
Call deleteKey(const QString &section, const QString &key)
{
    return { Call::Write, section, key, std::nullopt };
}
Call deleteSection(const QString &section, const std::optional<QString> &ignoredValue = std::nullopt)
{
    return { Call::Write, section, std::nullopt, ignoredValue };
}
Call clear(const QString &section)
{
    return { Call::ClearSection, section, std::nullopt, std::nullopt };
}

const QByteArray Missing("<no file>");

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

} // namespace

Q_DECLARE_METATYPE(QList<Call>)
Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(WriteRefusal)

class TestPrivateProfile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void shouldEditTheFileAsThePlatformDoes_data();
    void shouldEditTheFileAsThePlatformDoes();
    void shouldReadValuesAsThePlatformDoes_data();
    void shouldReadValuesAsThePlatformDoes();
    void shouldGiveTheDefaultWhenTheFileCannotBeRead();
    void shouldCutLongValuesToTheBuffer();
    void shouldCarryTextInTheCodePageOfTheLanguage();

    void shouldLeaveTheFileUntouchedWhenNothingChanges();
    void shouldKeepPermissionsAndOwner();
    void shouldReplaceTheTargetOfASymbolicLink();
    void shouldResolveAParentStepInThePath();
    void shouldFailWithoutCreatingAnythingWhenTheFolderIsMissing_data();
    void shouldFailWithoutCreatingAnythingWhenTheFolderIsMissing();
    void shouldFailOnAReadOnlyFileSystem();
    void shouldLeaveAReadOnlyFileAsItIs();
    void shouldKeepTheOldFileWhenTheDiskIsFull();
    void shouldRefuseOnlyLineBreaks_data();
    void shouldRefuseOnlyLineBreaks();

private:
    QString filePath() const { return m_dir->filePath(QStringLiteral("Connect.sys")); }
    void writeFile(const QByteArray &bytes) const;
    QByteArray readFile() const;
    QStringList folderEntries() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    PrivateProfile m_profile { AnsiCodePage(AnsiCodePage::WesternEuropean) };
};

void TestPrivateProfile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPrivateProfile::writeFile(const QByteArray &bytes) const
{
    QFile file(filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TestPrivateProfile::readFile() const
{
    QFile file(filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return Missing;
    }
    return file.readAll();
}

QStringList TestPrivateProfile::folderEntries() const
{
    return QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestPrivateProfile::shouldEditTheFileAsThePlatformDoes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QList<Call>>("calls");
    QTest::addColumn<QByteArray>("after");

    const QByteArray builtUp(
        "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n"
        "[App3]\r\nkey5=string5\r\n");
    const QByteArray withoutKey2("[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n"
                                 "[App3]\r\nkey5=string5\r\n");
    QTest::newRow("new file built up, new sections at the end")
        << Missing
        << QList<Call> { set("App1", "key1", "string1"), set("App1", "key2", "string2"),
               set("App1", "key3", "string3"), set("App2", "key4", "string4"),
               set("App3", "key5", "string5") }
        << builtUp;
    QTest::newRow("delete a key, then the missing key again")
        << builtUp << QList<Call> { deleteKey("App1", "key2"), deleteKey("App1", "key2") } << withoutKey2;
    QTest::newRow("delete sections, the value ignored")
        << withoutKey2
        << QList<Call> { deleteSection("App1", QStringLiteral("string1")), deleteSection("App2") }
        << QByteArray("[App3]\r\nkey5=string5\r\n");
    QTest::newRow("deleting the last key keeps the header")
        << QByteArray("[App3]\r\nkey5=string5\r\n") << QList<Call> { deleteKey("App3", "key5") }
        << QByteArray("[App3]\r\n");
    QTest::newRow("new file with an empty value")
        << Missing << QList<Call> { set("App", "key", "") } << QByteArray("[App]\r\nkey=\r\n");
    QTest::newRow("deleting a key of a missing file leaves an empty file")
        << Missing << QList<Call> { deleteKey("App", "key") } << QByteArray("");
    QTest::newRow("deleting a section of a missing file leaves an empty file")
        << Missing << QList<Call> { deleteSection("App", QStringLiteral("x")) } << QByteArray("");
    QTest::newRow("empty file gets no leading line break")
        << QByteArray("") << QList<Call> { set("S", "k", "v") } << QByteArray("[S]\r\nk=v\r\n");
    QTest::newRow("junk and NULs before the first section stay, line break added")
        << QByteArray("Data \0 before \0 first \0 section", 31)
        << QList<Call> { set("section1", "key1", "string1") }
        << QByteArray("Data \0 before \0 first \0 section\r\n[section1]\r\nkey1=string1\r\n", 59);
    QTest::newRow("existing spelling kept, final line break added")
        << QByteArray("[SectionName]\r\nTestKey=TestValue")
        << QList<Call> { set("SECTIONNAME", "TESTKEY", "TestValue2") }
        << QByteArray("[SectionName]\r\nTestKey=TestValue2\r\n");
    QTest::newRow("existing keys keep their order, new ones follow the last")
        << QByteArray("[S]\r\nb=value\r\na=value\r\n")
        << QList<Call> { set("S", "z", ""), set("S", "b", ""), set("S", "y", ""), set("S", "a", "") }
        << QByteArray("[S]\r\nb=\r\na=\r\nz=\r\ny=\r\n");
    QTest::newRow("new keys go before trailing comments, a ; key adds a comment")
        << QByteArray(";comment0\r\n[S]\r\n;comment1\r\nb=value\r\n;comment2\r\na=value\r\n")
        << QList<Call> { set("S", "z", ""), set("S", ";x", ""), set("S", "y", ""), set("S", "a", ""),
               set("S", "b", "") }
        << QByteArray(";comment0\r\n[S]\r\n;comment1\r\nb=\r\n;comment2\r\na=\r\nz=\r\ny=\r\n;x=\r\n");
    QTest::newRow("a ; key adds a comment line each time, the latest first in a section without keys")
        << QByteArray("[S]\r\n;x=\r\n") << QList<Call> { set("S", ";x", ""), set("S", " ;x ", "1") }
        << QByteArray("[S]\r\n;x=1\r\n;x=\r\n;x=\r\n");
    QTest::newRow("a section holding ] is written as given, and again on the next write")
        << Missing << QList<Call> { set("sec]whoops", "K", "V"), set("sec]whoops", "K", "W") }
        << QByteArray("[sec]whoops]\r\nK=V\r\n[sec]whoops]\r\nK=W\r\n");
    QTest::newRow("names that read back as other names are written as given")
        << QByteArray("[S]\r\nk=1\r\n")
        << QList<Call> { set("S", "k=v", "2"), set("S", "[k", "3"), set("\tT", "k\t", "4") }
        << QByteArray("[S]\r\nk=1\r\nk=v=2\r\n[k=3\r\n[\tT]\r\nk\t=4\r\n");
    QTest::newRow("new key above a comment at the section end")
        << QByteArray("[S]\r\nz=\r\n;y=\r\n") << QList<Call> { set("S", "a", "") }
        << QByteArray("[S]\r\nz=\r\na=\r\n;y=\r\n");
    QTest::newRow("deleting sections keeps their comments")
        << QByteArray(";comment0\r\n[S]\r\n;comment1\r\n[S2]\r\n;comment2\r\n")
        << QList<Call> { deleteSection("S", QStringLiteral("")), deleteSection("S2", QStringLiteral("")) }
        << QByteArray(";comment0\r\n;comment1\r\n;comment2\r\n");
    QTest::newRow("a comment cannot be deleted as a key")
        << QByteArray("[S]\r\n;key=TestValue\r\n") << QList<Call> { deleteKey("S", ";key") }
        << QByteArray("[S]\r\n;key=TestValue\r\n");
    QTest::newRow("names lose blanks, the value is verbatim")
        << Missing << QList<Call> { set(" sec ", " key ", " value ") }
        << QByteArray("[sec]\r\nkey= value \r\n");
    QTest::newRow("a UTF-8 byte order mark hides the first section")
        << QByteArray("\xEF\xBB\xBF[Sec]\r\nK=V\r\n") << QList<Call> { set("Sec", "K", "W") }
        << QByteArray("\xEF\xBB\xBF[Sec]\r\nK=V\r\n[Sec]\r\nK=W\r\n");
    QTest::newRow("a file of only a UTF-8 byte order mark")
        << QByteArray("\xEF\xBB\xBF") << QList<Call> { set("Sec", "K", "V") }
        << QByteArray("\xEF\xBB\xBF\r\n[Sec]\r\nK=V\r\n");
    QTest::newRow("a UTF-16 file stays UTF-16")
        << QByteArray("\xFF\xFE") << QList<Call> { set("Sec", "K", "V") }
        << QByteArray("\xFF\xFE") + utf16(QStringLiteral("\r\n[Sec]\r\nK=V\r\n"));
    QTest::newRow("a UTF-16 file of an odd length is completed before a section is appended")
        << QByteArray("\xFF\xFE") + utf16(QStringLiteral("[A]\r\nk=1")) + QByteArray("2")
        << QList<Call> { set("Sec", "K", "V") }
        << QByteArray("\xFF\xFE") + utf16(QStringLiteral("[A]\r\nk=12\r\n[Sec]\r\nK=V\r\n"));
    QTest::newRow("a UTF-16 file of an odd length is completed before a key is appended")
        << QByteArray("\xFF\xFE") + utf16(QStringLiteral("[A]\r\nk=1")) + QByteArray("2")
        << QList<Call> { set("A", "M", "V") }
        << QByteArray("\xFF\xFE") + utf16(QStringLiteral("[A]\r\nk=12\r\nM=V\r\n"));
    QTest::newRow("a UTF-16 file with keys")
        << QByteArray("\xFF\xFE") + utf16(QStringLiteral("[Sec]\r\nK = old\r\nL=1\r\n"))
        << QList<Call> { set("sec", "k", "new"), set("Sec", "M", "2"), deleteKey("Sec", "L") }
        << QByteArray("\xFF\xFE") + utf16(QStringLiteral("[Sec]\r\nK=new\r\nM=2\r\n"));

    const QByteArray settings("[DataSource]\r\nDataBase=old\r\n\r\n[SQL Server]\r\nProvider=SQLOLEDB\r\n");
    QTest::newRow("settings file: values replaced, keys added, blank line kept")
        << settings
        << QList<Call> { set("DataSource", "database", "new"), set("SQL Server", "Server", "h"),
               set("DataSource", "User", "u") }
        << QByteArray("[DataSource]\r\nDataBase=new\r\nUser=u\r\n\r\n[SQL "
                      "Server]\r\nProvider=SQLOLEDB\r\nServer=h\r\n");
    QTest::newRow("settings file: clearing a section keeps its header")
        << settings << QList<Call> { clear("SQL Server") }
        << QByteArray("[DataSource]\r\nDataBase=old\r\n\r\n[SQL Server]\r\n");
    QTest::newRow("clearing a section keeps its comments and blank lines")
        << QByteArray("[S]\r\n;c\r\na=1\r\nb\r\n\r\n[T]\r\nb=2\r\n") << QList<Call> { clear("s") }
        << QByteArray("[S]\r\n;c\r\n\r\n[T]\r\nb=2\r\n");
    QTest::newRow("clearing a missing section changes nothing")
        << QByteArray("[S]\r\na=1\r\n") << QList<Call> { clear("T") } << QByteArray("[S]\r\na=1\r\n");
    QTest::newRow("key in an empty section goes right after the header")
        << QByteArray("[S]\r\n\r\n[T]\r\n") << QList<Call> { set("S", "k", "v") }
        << QByteArray("[S]\r\nk=v\r\n\r\n[T]\r\n");
    QTest::newRow("key after a header at the end without a line break")
        << QByteArray("[S]") << QList<Call> { set("S", "k", "v") } << QByteArray("[S]\r\nk=v\r\n");

    QTest::newRow("duplicates: the first key of the first section is changed")
        << QByteArray("[S]\r\nK=1\r\nK=2\r\n[S]\r\nK=3\r\n") << QList<Call> { set("S", "K", "9") }
        << QByteArray("[S]\r\nK=9\r\nK=2\r\n[S]\r\nK=3\r\n");
    QTest::newRow("duplicates: only the first key is deleted")
        << QByteArray("[S]\r\nK=1\r\nK=2\r\n") << QList<Call> { deleteKey("S", "K") }
        << QByteArray("[S]\r\nK=2\r\n");
    QTest::newRow("duplicates: only the first section is deleted")
        << QByteArray("[S]\r\nK=1\r\n[T]\r\n[S]\r\nK=2\r\n") << QList<Call> { deleteSection("S") }
        << QByteArray("[T]\r\n[S]\r\nK=2\r\n");
    QTest::newRow("a line without = is a key that can be set")
        << QByteArray("[S]\r\nname3\r\n") << QList<Call> { set("S", "name3", "x") }
        << QByteArray("[S]\r\nname3=x\r\n");

    QTest::newRow("an LF file keeps its untouched lines, written lines end in CR LF")
        << QByteArray("[S]\nA = 1\nB=2\n")
        << QList<Call> { set("S", "B", "3"), set("S", "C", "4"), set("T", "D", "5") }
        << QByteArray("[S]\nA = 1\nB=3\r\nC=4\r\n[T]\r\nD=5\r\n");
    QTest::newRow("a CR file keeps its untouched lines, written lines end in CR LF")
        << QByteArray("[S]\rA=1\rB=2\r") << QList<Call> { set("S", "A", "2"), set("S", "C", "3") }
        << QByteArray("[S]\rA=2\r\nB=2\rC=3\r\n");
    QTest::newRow("a mixed file keeps each untouched line's ending")
        << QByteArray("[S]\nA=1\r\nB=2\rC=3\n") << QList<Call> { set("S", "B", "9"), set("S", "D", "4") }
        << QByteArray("[S]\nA=1\r\nB=9\r\nC=3\nD=4\r\n");
    QTest::newRow("a section removed between a lone CR and a blank LF line keeps the blank line")
        << QByteArray("[A]\ra=1\r[S]\nk=v\n\n[B]\n") << QList<Call> { deleteSection("S") }
        << QByteArray("[A]\ra=1\r\n\n[B]\n");
    QTest::newRow("a key removed between a lone CR and a blank LF line keeps the blank line") << QByteArray(
        "[A]\ra=1\rb=2\n\n[B]\n") << QList<Call> { deleteKey("A", "b") } << QByteArray("[A]\ra=1\r\n\n[B]\n");
    QTest::newRow("a section cleared between a lone CR and a blank LF line keeps the blank line")
        << QByteArray("[A]\rb=2\n\n[B]\n") << QList<Call> { clear("A") } << QByteArray("[A]\r\n\n[B]\n");
    QTest::newRow("no final line break stays when an earlier line changes") << QByteArray(
        "[S]\r\nA=1\r\nB=2") << QList<Call> { set("S", "A", "9") } << QByteArray("[S]\r\nA=9\r\nB=2");
    QTest::newRow("untouched lines stay byte for byte")
        << QByteArray("  [ S ]  \r\n\tk\v=  \"v\"  \r\nx y z\r\n;note\r\n")
        << QList<Call> { set("S", "n", "1") }
        << QByteArray("  [ S ]  \r\n\tk\v=  \"v\"  \r\nx y z\r\nn=1\r\n;note\r\n");
}

void TestPrivateProfile::shouldEditTheFileAsThePlatformDoes()
{
    QFETCH(QByteArray, before);
    QFETCH(QList<Call>, calls);
    QFETCH(QByteArray, after);

    if (before != Missing) {
        writeFile(before);
    }
    for (const Call &call : calls) {
        const bool done = call.kind == Call::Write
            ? m_profile.writeString(call.section, call.key, call.value, filePath())
            : m_profile.clearSection(call.section, filePath());
        QVERIFY(done);
    }
    QCOMPARE(readFile(), after);
    QCOMPARE(folderEntries(), QStringList { QStringLiteral("Connect.sys") });
}

void TestPrivateProfile::shouldReadValuesAsThePlatformDoes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("defaultValue");
    QTest::addColumn<int>("bufferSize");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray sample(
        "[section1]\r\nname1=val1\r\nname2=\"val2\"\r\nname3\r\nname4=a\r\n[section2]\r\n");
    QTest::newRow("value") << sample << "section1"
                           << "name1"
                           << "default" << 1000 << QByteArray("val1");
    QTest::newRow("names ignore case") << sample << "SECTION1"
                                       << "NaMe1"
                                       << "default" << 1000 << QByteArray("val1");
    QTest::newRow("buffer of the exact size") << sample << "section1"
                                              << "name1"
                                              << "default" << 4 << QByteArray("val");
    QTest::newRow("buffer with room") << sample << "section1"
                                      << "name1"
                                      << "default" << 5 << QByteArray("val1");
    QTest::newRow("buffer of one") << sample << "section1"
                                   << "name4"
                                   << "default" << 1 << QByteArray("");
    QTest::newRow("buffer of none") << sample << "section1"
                                    << "name1"
                                    << "default" << 0 << QByteArray("");
    QTest::newRow("quotes stripped") << sample << "section1"
                                     << "name2"
                                     << "" << 1000 << QByteArray("val2");
    QTest::newRow("line without =") << sample << "section1"
                                    << "name3"
                                    << "def" << 1000 << QByteArray("def");
    QTest::newRow("missing key") << sample << "section1"
                                 << "notakey"
                                 << "def" << 1000 << QByteArray("def");
    QTest::newRow("missing section") << sample << "section9"
                                     << "name1"
                                     << "" << 1000 << QByteArray("");
    QTest::newRow("section without keys") << sample << "section2"
                                          << "name1"
                                          << "d" << 1000 << QByteArray("d");

    const QByteArray crOnly("[section1]\rname1=val1\rname2=\"val2\"\rname3\rname4=a\r[section2]\r");
    QTest::newRow("CR file") << crOnly << "section1"
                             << "NaMe1"
                             << "" << 1000 << QByteArray("val1");
    QTest::newRow("CR file quotes") << crOnly << "section1"
                                    << "name2"
                                    << "" << 1000 << QByteArray("val2");
    QTest::newRow("CR file missing key") << crOnly << "section1"
                                         << "notakey"
                                         << "d" << 1000 << QByteArray("d");
    QTest::newRow("LF file") << QByteArray("[Test]\nProfileInt=123\n") << "Test"
                             << "ProfileInt"
                             << "" << 1000 << QByteArray("123");

    QTest::newRow("default loses trailing blanks") << sample << "section1"
                                                   << "none"
                                                   << "default  " << 1000 << QByteArray("default");
    QTest::newRow("default keeps inner blanks") << sample << "section1"
                                                << "none"
                                                << "one two  " << 1000 << QByteArray("one two");
    QTest::newRow("default keeps leading blanks") << sample << "section1"
                                                  << "none"
                                                  << "   default   " << 1000 << QByteArray("   default");
    QTest::newRow("default keeps tabs") << sample << "section1"
                                        << "none"
                                        << "\tdefault\t" << 1000 << QByteArray("\tdefault\t");
    QTest::newRow("default cut to the buffer") << sample << "section1"
                                               << "none"
                                               << "default" << 4 << QByteArray("def");

    const QByteArray spaced("[ \tx\t ]\r\n\tTestKey\v=  TestValue\t\r\n");
    QTest::newRow("blanks, tabs and vertical tabs trimmed") << spaced << "x"
                                                            << "TestKey"
                                                            << "" << 1000 << QByteArray("TestValue");
    QTest::newRow("blanks around asked names") << spaced << " x "
                                               << " TestKey "
                                               << "" << 1000 << QByteArray("TestValue");
    QTest::newRow("tab in an asked name") << spaced << "\tx"
                                          << "TestKey"
                                          << "def" << 1000 << QByteArray("def");
    QTest::newRow("written value with blanks") << QByteArray("[sec]\r\nkey= value \r\n") << "sec"
                                               << "key"
                                               << "" << 1000 << QByteArray("value");

    QTest::newRow("blanks inside double quotes") << QByteArray("[S]\r\nk=  \"   TestValue   \"  \r\n") << "S"
                                                 << "k"
                                                 << "" << 1000 << QByteArray("   TestValue   ");
    QTest::newRow("blanks inside single quotes") << QByteArray("[S]\r\nk=  '   TestValue   '  \r\n") << "S"
                                                 << "k"
                                                 << "" << 1000 << QByteArray("   TestValue   ");
    QTest::newRow("only the outer quotes") << QByteArray("[S]\r\nk='\"v\"'\r\n") << "S"
                                           << "k"
                                           << "" << 1000 << QByteArray("\"v\"");
    QTest::newRow("mismatched quotes") << QByteArray("[S]\r\nk=\"v'\r\n") << "S"
                                       << "k"
                                       << "" << 1000 << QByteArray("\"v'");
    QTest::newRow("crossed quotes") << QByteArray("[S]\r\nk='\"v'\"\r\n") << "S"
                                    << "k"
                                    << "" << 1000 << QByteArray("'\"v'\"");
    QTest::newRow("a lone quote") << QByteArray("[S]\r\nk=\"\r\n") << "S"
                                  << "k"
                                  << "" << 1000 << QByteArray("\"");

    QTest::newRow("first of duplicate keys") << QByteArray("[S]\r\nK=V1\r\nK=V2") << "S"
                                             << "K"
                                             << "" << 1000 << QByteArray("V1");
    QTest::newRow("only the first of duplicate sections") << QByteArray("[S]\r\n[S]\r\nK=V") << "S"
                                                          << "K"
                                                          << "def" << 1000 << QByteArray("def");
    QTest::newRow("key behind the header's bracket") << QByteArray("[S]K=V\r\n") << "S"
                                                     << "K"
                                                     << "def" << 1000 << QByteArray("def");
    QTest::newRow("header without closing bracket") << QByteArray("[S   \r\nK=V\r\n") << "S"
                                                    << "K"
                                                    << "" << 1000 << QByteArray("V");
    QTest::newRow("header up to the first bracket") << QByteArray("[sec]whoops]\r\nK=V\r\n") << "sec"
                                                    << "K"
                                                    << "" << 1000 << QByteArray("V");
    QTest::newRow("a section holding ] is not found") << QByteArray("[sec]whoops]\r\nK=V\r\n") << "sec]whoops"
                                                      << "K"
                                                      << "def" << 1000 << QByteArray("def");
    QTest::newRow("comment after blanks") << QByteArray("[S]\r\n ;K=V\r\n") << "S"
                                          << "K"
                                          << "def" << 1000 << QByteArray("def");
    QTest::newRow("comment not found by its text") << QByteArray("[S]\r\n ;K=V\r\n") << "S"
                                                   << ";K"
                                                   << "def" << 1000 << QByteArray("def");
    QTest::newRow("no inline comments") << QByteArray("[S]\r\nK=v ;x\r\n") << "S"
                                        << "K"
                                        << "" << 1000 << QByteArray("v ;x");
    QTest::newRow("hash is no comment") << QByteArray("[S]\r\n#K=V\r\n") << "S"
                                        << "#K"
                                        << "" << 1000 << QByteArray("V");
    QTest::newRow("empty section name") << QByteArray("[]\r\nK=V\r\n") << ""
                                        << "K"
                                        << "" << 1000 << QByteArray("V");
    QTest::newRow("keys before the first section unreachable") << QByteArray("K=V\r\n[S]\r\nK2=V2\r\n") << ""
                                                               << "K"
                                                               << "def" << 1000 << QByteArray("def");

    const QByteArray utf8Marked(
        "\xEF\xBB\xBF[SectionName]\r\nTestKey=TestValue\r\n[SectionName2]\r\nTestKey2=TestValue2\r\n");
    QTest::newRow("UTF-8 byte order mark hides the first section") << utf8Marked << "SectionName"
                                                                   << "TestKey"
                                                                   << "def" << 1000 << QByteArray("def");
    QTest::newRow("UTF-8 byte order mark leaves the others") << utf8Marked << "SectionName2"
                                                             << "TestKey2"
                                                             << "" << 1000 << QByteArray("TestValue2");
    QTest::newRow("UTF-16 file read as ANSI")
        << QByteArray("\xFF\xFE") + utf16(QStringLiteral("[S]\r\nK=Café 数\r\n")) << "S"
        << "K"
        << "" << 1000 << QByteArray("Caf\xE9 ?");
}

void TestPrivateProfile::shouldReadValuesAsThePlatformDoes()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, defaultValue);
    QFETCH(int, bufferSize);
    QFETCH(QByteArray, expected);

    writeFile(file);
    QCOMPARE(m_profile.readString(section, key, defaultValue, bufferSize, filePath()), expected);
    QCOMPARE(readFile(), file);
}

void TestPrivateProfile::shouldGiveTheDefaultWhenTheFileCannotBeRead()
{
    QCOMPARE(m_profile.readString("S", "K", "default  ", 1000, filePath()), QByteArray("default"));
    QVERIFY(!QFileInfo::exists(filePath()));
    QCOMPARE(m_profile.readString("S", "K", "def", 1000, m_dir->path()), QByteArray("def"));
    QCOMPARE(m_profile.readString("S", "K", "def", 1000, QString()), QByteArray("def"));
}

void TestPrivateProfile::shouldCutLongValuesToTheBuffer()
{
    const QByteArray longValue(1200, 'v');
    writeFile("[S]\r\nK=" + longValue + "\r\n");
    QCOMPARE(m_profile.readString("S", "K", "", 1000, filePath()), longValue.left(999));

    // 500 double-byte characters: the 500th does not fit whole and is left out.
    const PrivateProfile chinese(AnsiCodePage(AnsiCodePage::SimplifiedChinese));
    QByteArray doubleBytes;
    for (int i = 0; i < 500; ++i) {
        doubleBytes += "\xCA\xFD";
    }
    writeFile("[S]\r\nK=" + doubleBytes + "\r\n");
    QCOMPARE(chinese.readString("S", "K", "", 1000, filePath()), doubleBytes.left(998));
    QCOMPARE(chinese.readString("S", "K", "", 1001, filePath()), doubleBytes);
}

void TestPrivateProfile::shouldCarryTextInTheCodePageOfTheLanguage()
{
    const PrivateProfile simplified(AnsiCodePage(AnsiCodePage::SimplifiedChinese));
    QVERIFY(simplified.writeString(
        QStringLiteral("数据"), QStringLiteral("名"), QStringLiteral("台球\U0001F3B1"), filePath()));
    QCOMPARE(readFile(), QByteArray("[\xCA\xFD\xBE\xDD]\r\n\xC3\xFB=\xCC\xA8\xC7\xF2??\r\n"));
    QCOMPARE(simplified.readString(QStringLiteral("数据"), QStringLiteral("名"), "", 1000, filePath()),
        QByteArray("\xCC\xA8\xC7\xF2??"));

    const PrivateProfile traditional(AnsiCodePage(AnsiCodePage::TraditionalChinese));
    QVERIFY(traditional.writeString(
        QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("資料庫"), filePath()));
    QVERIFY(readFile().endsWith("[S]\r\nK=\xB8\xEA\xAE\xC6\xAE\x77\r\n"));

    // A name the code page cannot hold is asked for as its "?" form.
    QVERIFY(
        m_profile.writeString(QStringLiteral("S"), QStringLiteral("数"), QStringLiteral("€"), filePath()));
    QVERIFY(readFile().endsWith("[S]\r\nK=\xB8\xEA\xAE\xC6\xAE\x77\r\n?=\x80\r\n"));
    QCOMPARE(m_profile.readString(QStringLiteral("S"), QStringLiteral("据"), "", 1000, filePath()),
        QByteArray("\x80"));
}

void TestPrivateProfile::shouldLeaveTheFileUntouchedWhenNothingChanges()
{
    writeFile("[S]\r\nK=V\r\n");
    struct stat before = {};
    QCOMPARE(::stat(QFile::encodeName(filePath()).constData(), &before), 0);

    QVERIFY(m_profile.writeString("S", "K", QStringLiteral("V"), filePath()));
    QVERIFY(m_profile.writeString("S", "missing", std::nullopt, filePath()));
    QVERIFY(m_profile.writeString("T", std::nullopt, std::nullopt, filePath()));
    QVERIFY(m_profile.clearSection("T", filePath()));

    struct stat after = {};
    QCOMPARE(::stat(QFile::encodeName(filePath()).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(readFile(), QByteArray("[S]\r\nK=V\r\n"));
}

void TestPrivateProfile::shouldKeepPermissionsAndOwner()
{
    writeFile("[S]\r\nK=V\r\n");
    const QByteArray name = QFile::encodeName(filePath());
    QCOMPARE(::chmod(name.constData(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
    }

    QVERIFY(m_profile.writeString("S", "K", QStringLiteral("W"), filePath()));

    struct stat info = {};
    QCOMPARE(::stat(name.constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, 0640u);
    if (root) {
        QCOMPARE(info.st_uid, 65534u);
        QCOMPARE(info.st_gid, 65534u);
    }
    QCOMPARE(readFile(), QByteArray("[S]\r\nK=W\r\n"));
}

void TestPrivateProfile::shouldReplaceTheTargetOfASymbolicLink()
{
    writeFile("[S]\r\nK=V\r\n");
    const QString link = m_dir->filePath(QStringLiteral("link.ini"));
    QVERIFY(QFile::link(filePath(), link));

    QVERIFY(m_profile.writeString("S", "K", QStringLiteral("W"), link));

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(), QByteArray("[S]\r\nK=W\r\n"));
}

void TestPrivateProfile::shouldResolveAParentStepInThePath()
{
    // The settings file is found from the program's folder as "<folder>/../Connect.sys".
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("bin")));
    writeFile("[S]\r\nK=V\r\n");
    const QString path = m_dir->filePath(QStringLiteral("bin/../Connect.sys"));

    QVERIFY(m_profile.writeString("S", "K", QStringLiteral("W"), path));
    QCOMPARE(m_profile.readString("S", "K", "", 1000, path), QByteArray("W"));
    QCOMPARE(readFile(), QByteArray("[S]\r\nK=W\r\n"));
    QVERIFY(QDir(m_dir->filePath("bin")).isEmpty());
}

void TestPrivateProfile::shouldFailWithoutCreatingAnythingWhenTheFolderIsMissing_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("missing folder") << "missing/Connect.sys";
    QTest::newRow("a file in the folder's place") << "Connect.sys/Connect.sys";
    QTest::newRow("a folder in the file's place") << "folder";
}

void TestPrivateProfile::shouldFailWithoutCreatingAnythingWhenTheFolderIsMissing()
{
    QFETCH(QString, relativePath);
    writeFile("[S]\r\nK=V\r\n");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    const QString path = m_dir->filePath(relativePath);

    QVERIFY(!m_profile.writeString("S", "K", QStringLiteral("W"), path));
    QVERIFY(!m_profile.writeString("S", "K", std::nullopt, path));
    QVERIFY(!m_profile.clearSection("S", path));
    QVERIFY(!m_profile.writeString("S", "K", QStringLiteral("W"), QString()));

    QCOMPARE(folderEntries(), (QStringList { QStringLiteral("Connect.sys"), QStringLiteral("folder") }));
    QVERIFY(QDir(m_dir->filePath("folder")).isEmpty());
    QCOMPARE(readFile(), QByteArray("[S]\r\nK=V\r\n"));
}

void TestPrivateProfile::shouldFailOnAReadOnlyFileSystem()
{
    // Nobody, root included, may create a file in /proc.
    const QString path = QStringLiteral("/proc/brevane-profile-test.ini");
    QVERIFY(!m_profile.writeString("S", "K", QStringLiteral("V"), path));
    QVERIFY(!QFileInfo::exists(path));
}

void TestPrivateProfile::shouldLeaveAReadOnlyFileAsItIs()
{
    const QByteArray original("[S]\r\nK=V\r\n");
    writeFile(original);
    const QByteArray name = QFile::encodeName(filePath());
    QCOMPARE(::chmod(name.constData(), 0444), 0);

    QVERIFY(!m_profile.writeString("S", "K", QStringLiteral("W"), filePath()));
    QVERIFY(!m_profile.writeString("S", "K", std::nullopt, filePath()));
    QVERIFY(!m_profile.writeString("S", std::nullopt, std::nullopt, filePath()));
    QVERIFY(!m_profile.clearSection("S", filePath()));

    QCOMPARE(readFile(), original);
    QCOMPARE(folderEntries(), QStringList { QStringLiteral("Connect.sys") });
    struct stat info = {};
    QCOMPARE(::stat(name.constData(), &info), 0);
    QCOMPARE(info.st_mode & 07777, 0444u);
}

void TestPrivateProfile::shouldKeepTheOldFileWhenTheDiskIsFull()
{
    const QByteArray original("[S]\r\nK=V\r\n");
    writeFile(original);

    // A file size limit binds root as well: the new contents cannot be written
    // in full, as on a full disk.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous = {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = m_profile.writeString("S", "K", QString(200, u'x'), filePath());
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!written);
    QCOMPARE(readFile(), original);
    QCOMPARE(folderEntries(), QStringList { QStringLiteral("Connect.sys") });
}

void TestPrivateProfile::shouldRefuseOnlyLineBreaks_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<std::optional<QString>>("key");
    QTest::addColumn<std::optional<QString>>("value");
    QTest::addColumn<WriteRefusal>("refusal");

    const std::optional<QString> none;
    const auto text = [](const char *t) { return std::optional<QString>(QString::fromUtf8(t)); };
    QTest::newRow("CR in a section") << "S\r" << text("User") << text("sa")
                                     << WriteRefusal::SectionHoldsLineBreak;
    QTest::newRow("LF in a section being deleted")
        << "S\n[K]" << none << none << WriteRefusal::SectionHoldsLineBreak;
    QTest::newRow("LF in a key") << "S" << text("Us\ner") << text("sa") << WriteRefusal::KeyHoldsLineBreak;
    QTest::newRow("CR LF in a key being deleted")
        << "S" << text("K\r\n") << none << WriteRefusal::KeyHoldsLineBreak;
    QTest::newRow("a value that would add a section")
        << "S" << text("User") << text("sa\r\n[Other]\r\nk=v") << WriteRefusal::ValueHoldsLineBreak;
    QTest::newRow("a lone CR ending a value")
        << "S" << text("User") << text("sa\r") << WriteRefusal::ValueHoldsLineBreak;
}

void TestPrivateProfile::shouldRefuseOnlyLineBreaks()
{
    QFETCH(QString, section);
    QFETCH(std::optional<QString>, key);
    QFETCH(std::optional<QString>, value);
    QFETCH(WriteRefusal, refusal);

    const QByteArray original("[S]\r\nK=V\r\n");
    writeFile(original);
    QVERIFY(PrivateProfile::refusal(section, key, value) == refusal);
    QVERIFY(!m_profile.writeString(section, key, value, filePath()));
    QCOMPARE(readFile(), original);
    // Every other name is written, those that read back as other names included.
    QVERIFY(!PrivateProfile::refusal("s]x\t", QStringLiteral(";k=\t"), QStringLiteral(" v ")));
}

QTEST_GUILESS_MAIN(TestPrivateProfile)
#include "TestPrivateProfile.moc"
