#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>

#include "settings/IniFile.h"
#include "support/TempDir.h"

namespace vok {
namespace {

const QString kSection = QStringLiteral("Installningar");

QStringList KeyNames(const IniFile& ini, QStringView section) {
    QStringList names;
    for (const auto& [key, value] : ini.Entries(section)) {
        names.push_back(key);
    }
    return names;
}

TEST(IniParse, NamesMatchIgnoringCase) {
    const IniFile ini = IniFile::Parse(
        "[installningar]\n"
        "  TITEL =  Sjung med \"oss\"  \n"
        "Path=C:\\Songs\\;x=y\n");
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("Titel"), {}),
              QStringLiteral("Sjung med \"oss\""));
    EXPECT_EQ(ini.ReadString(QStringLiteral("INSTALLNINGAR"), QStringLiteral("path"), {}),
              QStringLiteral("C:\\Songs\\;x=y"));
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("Missing"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));
    // Present but empty is not absent.
    EXPECT_EQ(IniFile::Parse("[a]\nk=\n").ReadString(u"a", u"k", QStringLiteral("dflt")),
              QString());
}

TEST(IniParse, ValuesReadAsTheWindowsProfileFunctionsReadThem) {
    const struct {
        const char* line;
        const char* value;
    } cases[] = {
        {"0 = /music", "/music"},
        {"0=\t/music \t", "/music"},
        {"0=\"/x/\"", "/x/"},
        {"0='/x/'", "/x/"},
        {"0 = \" /x/ \" ", " /x/ "},  // blanks inside the quotes stay
        {"0=\"\"", ""},
        {"0=\"", "\""},                // one quote is no pair
        {"0=\"/x/'", "\"/x/'"},        // nor are two different ones
        {"0=\"\"/x/\"\"", "\"/x/\""},  // only one pair goes
        {"0=a \"b\"", "a \"b\""},
        {"0=\v/x\v", "\v/x\v"},  // only spaces and tabs are blanks
        {"0 = @Escaped(%0A) ", "\n"},
    };
    for (const auto& c : cases) {
        const IniFile ini = IniFile::Parse(QByteArray("[Kataloger]\n") + c.line + "\n");
        EXPECT_EQ(ini.ReadString(u"Kataloger", u"0", QStringLiteral("absent")),
                  QString::fromUtf8(c.value))
            << c.line;
    }
    EXPECT_EQ(IniFile::Parse("[s]\n\tk\t=\t'12'\n").ReadInteger(u"s", u"k", 0), 12);
}

TEST(IniParse, OddLinesAreIgnoredButKept) {
    const QByteArray text =
        "orphan=before any section\n"
        "; comment=not a key\n"
        "[ Kataloger ] trailing words\n"
        "no equals sign here\n"
        "=no key\n"
        "[broken header\n"
        "0=first\r\n"
        "0=duplicate\r"
        "1=second";
    const IniFile ini = IniFile::Parse(text);
    EXPECT_TRUE(ini.Entries(u"").empty());
    EXPECT_EQ(KeyNames(ini, u"kataloger"),
              (QStringList{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1")}));
    EXPECT_EQ(ini.ReadString(u"Kataloger", u"0", {}), QStringLiteral("first"));
    EXPECT_EQ(ini.ReadString(u"Kataloger", u"1", {}), QStringLiteral("second"));
    EXPECT_TRUE(ini.Entries(u"broken header").empty());
    // Untouched lines come back as they were (line ends become "\n").
    QByteArray expected = text;
    expected.replace("\r\n", "\n").replace('\r', '\n').append('\n');
    EXPECT_EQ(ini.ToBytes(), expected);
}

TEST(IniParse, LongValuesAreCutAt2047Characters) {
    const QString longValue(5000, QLatin1Char('a'));
    const IniFile ini = IniFile::Parse("[s]\nk=" + longValue.toUtf8() + "\n");
    EXPECT_EQ(ini.ReadString(u"s", u"k", {}).size(), 2047);

    // A cut through a surrogate pair drops the whole pair rather than leaving half of it.
    const QString pairAtEnd =
        QString(2046, QLatin1Char('b')) + QString::fromUtf8("\xF0\x9F\x8E\xA4");
    const QString read = IniFile::Parse("[s]\nk=" + pairAtEnd.toUtf8()).ReadString(u"s", u"k", {});
    EXPECT_EQ(read, QString(2046, QLatin1Char('b')));
}

TEST(IniParse, EncodingsOfFilesFromElsewhere) {
    EXPECT_EQ(IniFile::Parse("\xEF\xBB\xBF[s]\nk=\xC3\xA5\n").ReadString(u"s", u"k", {}),
              QString::fromUtf8("å"));
    // Windows-1252 bytes that are not valid UTF-8.
    EXPECT_EQ(IniFile::Parse("[s]\nk=S\xE5ngs \x80\n").ReadString(u"s", u"k", {}),
              QString::fromUtf8("Sångs €"));
    const QString text = QStringLiteral("[s]\r\nk=v\u00e5\r\n");
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(IniFile::Parse(utf16).ReadString(u"s", u"k", {}), QString::fromUtf8("vå"));
    // A second mark after the first would become a real one when written back; it is dropped.
    const IniFile twoMarks = IniFile::Parse("\xEF\xBB\xBF\xEF\xBB\xBF[s]\nk=1\n");
    EXPECT_EQ(twoMarks.ToBytes(), "[s]\nk=1\n");
    EXPECT_EQ(twoMarks.ReadInteger(u"s", u"k", 0), 1);
    // NUL bytes are ordinary characters, not the end of the file.
    const IniFile withNul = IniFile::Parse(QByteArray("[s]\na=x\0y\nb=2\n", 15));
    EXPECT_EQ(withNul.ReadString(u"s", u"a", {}).size(), 3);
    EXPECT_EQ(withNul.ReadInteger(u"s", u"b", 0), 2);
}

TEST(IniInteger, DecimalAndBothHexadecimalForms) {
    EXPECT_EQ(ParseIniInteger(u"255"), 255);
    EXPECT_EQ(ParseIniInteger(u" -17 "), -17);
    EXPECT_EQ(ParseIniInteger(u"0x1F"), 31);
    EXPECT_EQ(ParseIniInteger(u"0XfF"), 255);
    EXPECT_EQ(ParseIniInteger(u"$10"), 16);
    EXPECT_EQ(ParseIniInteger(u"0x02FFFFFF"), 50331647);
    EXPECT_EQ(ParseIniInteger(u"$FFFFFFFF"), -1);  // a 32-bit pattern
    EXPECT_EQ(ParseIniInteger(u"2147483647"), 2147483647);
    EXPECT_EQ(ParseIniInteger(u"-2147483648"), std::numeric_limits<qint32>::min());
}

TEST(IniInteger, WhatDoesNotParseGivesNothing) {
    for (const char16_t* bad : {u"", u"  ", u"-", u"0x", u"$", u"12a", u"1 2", u"0x1G",
                                u"2147483648", u"-2147483649", u"0x100000000", u"x10", u"1.5"}) {
        EXPECT_FALSE(ParseIniInteger(bad).has_value()) << QString::fromUtf16(bad).toStdString();
    }
    const IniFile ini = IniFile::Parse("[s]\nbad=lots\nhex=0x10\nzero=0\nbig=99999999999\n");
    EXPECT_EQ(ini.ReadInteger(u"s", u"bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger(u"s", u"big", 7), 7);
    EXPECT_EQ(ini.ReadInteger(u"s", u"hex", 7), 16);
    EXPECT_TRUE(ini.ReadBool(u"s", u"hex", false));
    EXPECT_FALSE(ini.ReadBool(u"s", u"zero", true));
    EXPECT_TRUE(ini.ReadBool(u"s", u"bad", true));
}

TEST(IniWrite, UpdatesInPlaceAppendsAndErases) {
    IniFile ini = IniFile::Parse(
        "; kept\n[General]\nVOLYM=3\n\n[Kataloger]\n0=a\n1=b\n[other]\nx=1\n[KATALOGER]\n9=z\n");
    ini.WriteInteger(u"general", u"Volym", 200);
    ini.WriteBool(u"General", u"New", true);
    ini.EraseSection(u"kataloger");
    ini.WriteString(u"Fresh", u"k", QStringLiteral("v"));
    EXPECT_EQ(ini.ToBytes(), "; kept\n[General]\nVOLYM=200\nNew=1\n\n[other]\nx=1\n[Fresh]\nk=v\n");
    EXPECT_TRUE(ini.Entries(u"Kataloger").empty());
}

TEST(IniWrite, EveryValueReadsBackAsWrittenAndCannotInjectLines) {
    const QStringList values{QStringLiteral("/music/a\n[Installningar]\nVolym=0\r%41"),
                             QStringLiteral("@Escaped(%41)"),
                             QStringLiteral(" /music"),
                             QStringLiteral("/music\t"),
                             QStringLiteral("\"/x/\""),
                             QStringLiteral("'y'"),
                             QStringLiteral("\"")};
    IniFile ini;
    for (qsizetype i = 0; i < values.size(); ++i) {
        ini.WriteString(u"Kataloger", QString::number(i), values[i]);
    }
    const IniFile reread = IniFile::Parse(ini.ToBytes());
    EXPECT_TRUE(reread.Entries(u"Installningar").empty());
    EXPECT_EQ(KeyNames(reread, u"Kataloger").size(), values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        EXPECT_EQ(reread.ReadString(u"Kataloger", QString::number(i), {}), values[i]);
    }
    // Ordinary values stay verbatim in the file.
    IniFile plain;
    plain.WriteString(u"VokKatalog", u"Vart", QStringLiteral("/x/ \"y\""));
    EXPECT_EQ(plain.ToBytes(), "[VokKatalog]\nVart=/x/ \"y\"\n");
}

TEST(IniFileOnDisk, MissingUnreadableAndRoundTrip) {
    const test::TempDir dir;
    IniFile::LoadStatus status = IniFile::LoadStatus::Loaded;
    IniFile::Load(dir.FilePath(QStringLiteral("none.ini")), &status);
    EXPECT_EQ(status, IniFile::LoadStatus::Missing);
    IniFile::Load(dir.MakeDir(QStringLiteral("folder.ini")), &status);
    EXPECT_EQ(status, IniFile::LoadStatus::Unreadable);
    IniFile::Load(dir.Write(QStringLiteral("huge.ini"), QByteArray(IniFile::kMaxFileSize + 1, 'a')),
                  &status);
    EXPECT_EQ(status, IniFile::LoadStatus::Unreadable);
    const QString pipe = dir.FilePath(QStringLiteral("pipe.ini"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    IniFile::Load(pipe, &status);  // must not wait for a writer
    EXPECT_EQ(status, IniFile::LoadStatus::Unreadable);

    const QString path = dir.FilePath(QStringLiteral("sub/dir/VokPlayer.ini"));
    IniFile ini;
    ini.WriteString(u"s", u"k", QString::fromUtf8("Sångs"));
    ASSERT_TRUE(ini.Save(path).Ok);  // creates the missing folders
    EXPECT_EQ(test::ReadAll(path), QByteArray("[s]\nk=S\xC3\xA5ngs\n"));  // UTF-8, no BOM
    EXPECT_EQ(IniFile::Load(path, &status).ReadString(u"s", u"k", {}), QString::fromUtf8("Sångs"));
    EXPECT_EQ(status, IniFile::LoadStatus::Loaded);
}

// The limit counts characters as they are written back, so a file at the limit (here in
// Windows-1252 with CR LF line ends and no last line end) is read and written again, at twice
// its byte size; one character more and it is refused.
TEST(IniFileOnDisk, WhatIsReadAtTheLimitIsWrittenBackAndReadAgain) {
    const test::TempDir dir;
    const qsizetype room = IniFile::kMaxTextLength - 7;  // "[s]\n" "k=" ... "\n"
    const QString path =
        dir.Write(QStringLiteral("at.ini"), "[s]\r\nk=" + QByteArray(room, '\xE4'));
    IniFile::LoadStatus status = IniFile::LoadStatus::Missing;
    const IniFile ini = IniFile::Load(path, &status);
    ASSERT_EQ(status, IniFile::LoadStatus::Loaded);
    EXPECT_EQ(ini.ReadString(u"s", u"k", {}).size(), kIniMaxValueLength);
    ASSERT_TRUE(ini.Save(path).Ok);
    EXPECT_GT(test::ReadAll(path).size(), 2 * room);
    EXPECT_EQ(IniFile::Load(path, &status).ToBytes(), ini.ToBytes());
    EXPECT_EQ(status, IniFile::LoadStatus::Loaded);

    const QString over =
        dir.Write(QStringLiteral("over.ini"), "[s]\r\nk=" + QByteArray(room + 1, '\xE4'));
    EXPECT_TRUE(IniFile::Load(over, &status).Entries(u"s").empty());
    EXPECT_EQ(status, IniFile::LoadStatus::Unreadable);

    // Nor does a write produce such a file: the old one stays.
    IniFile grown = ini;
    grown.WriteString(u"s", u"more", QStringLiteral("x"));
    EXPECT_FALSE(grown.Save(path).Ok);
    EXPECT_EQ(IniFile::Load(path, &status).ToBytes(), ini.ToBytes());
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("at.ini"), QStringLiteral("over.ini")}));
}

TEST(IniFileOnDisk, RefusedWriteSaysSoAndLeavesNothingBehind) {
    const test::TempDir dir;
    const QString notAFolder = dir.Write(QStringLiteral("plain"), "not a folder");
    const QString path = notAFolder + QStringLiteral("/VokPlayer.ini");
    IniFile ini;
    ini.WriteInteger(u"s", u"k", 1);
    const WriteResult refused = ini.Save(path);
    EXPECT_FALSE(refused.Ok);
    EXPECT_EQ(refused.Message, QStringLiteral("Unable to write to ") + path);
    EXPECT_EQ(test::ReadAll(notAFolder), QByteArray("not a folder"));

    // A target that is a folder: the rename fails, the folder and its content stay.
    const QString folderTarget = dir.MakeDir(QStringLiteral("target.ini"));
    dir.Write(QStringLiteral("target.ini/inside"), "keep");
    EXPECT_FALSE(ini.Save(folderTarget).Ok);
    EXPECT_EQ(test::ReadAll(folderTarget + QStringLiteral("/inside")), QByteArray("keep"));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("plain")});  // no temporary file left over
}

}  // namespace
}  // namespace vok
