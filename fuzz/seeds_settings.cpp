// Seeds for the INI harness: a full player file, files from Windows and a few broken ones.
#include <QString>

#include "Seeds.h"

namespace {

const vok::fuzz::SeedRegistration kIniSeeds([] {
    vok::fuzz::SeedSet set{"settings_ini", {}};
    set.seeds.push_back(
        "[Installningar]\nTitel=Kestrovane Vokalento\nVolym=200\nSpolTid=5\nDualDesc=0\n"
        "AutoStartFS=1\nSpectrumActive=1\nLoadAccurate=1\nTextFarg=50331647\n"
        "TextOLFarg=40265318\nEnableOLText=1\nPlayListX=-1\nPlayListY=-1\nPlayListW=277\n"
        "PlayListH=391\nMainFrmX=-1\nMainFrmY=-1\nPlayListVisible=0\nActivePlayItem=2\n"
        "[Kataloger]\n0=/music/a\n1=/music/b\n[VokKatalog]\nVart=/music/vok/\n");
    set.seeds.push_back(
        "\xEF\xBB\xBF[installningar]\r\nVOLYM=0x80\r\nSpolTid=$0C\r\n[KATALOGER]\r\n0=C:\\Songs\r\n"
        "2=D:\\S\xE5nger\r\n");
    set.seeds.push_back(
        "orphan=1\n; comment\n[Kataloger\n=x\nno equals\n[Kataloger]\n0=@Escaped(a%0Ab%25)\n"
        "0=dup\n[Installningar]\nTextFarg=0xFFFFFFFF\nMainFrmX=-2147483648\nVolym=99999999999\n");
    QByteArray utf16("\xFF\xFE");
    const QString text = QStringLiteral("[Installningar]\r\nTitel=\u00c5\r\n");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    set.seeds.push_back(utf16);
    set.seeds.push_back(QByteArray("[s]\0\nk=\0v\r\r\n", 12));
    return set;
});

}  // namespace
