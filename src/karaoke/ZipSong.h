#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

class QTemporaryDir;

namespace vok {

// What a zipped song may hold before it is refused. A karaoke zip holds two members of a few
// megabytes; anything far beyond that is damage or an attack, and is refused before it costs much.
struct ZipLimits {
    qint64 MaxMembers = 10000;
    qint64 MaxAudioBytes = 200LL * 1024 * 1024;
    qint64 MaxCdgBytes = 50LL * 1024 * 1024;
};

// A CD+G song packed in a zip: one .cdg member and one audio member, unpacked into a private
// temporary folder (mode 0700) under names of our own, which is removed with the object. Opening
// either succeeds with both files in place or fails with a sentence the player can show; nothing is
// written outside that folder.
class ZipSong {
  public:
    explicit ZipSong(const QString& zipPath, const ZipLimits& limits = {});
    ~ZipSong();
    ZipSong(const ZipSong&) = delete;
    ZipSong& operator=(const ZipSong&) = delete;

    bool Ok() const { return message_.isEmpty(); }
    // Why the zip was refused (a short English sentence); empty when it opened.
    const QString& Message() const { return message_; }

    // The unpacked files; empty unless Ok().
    const QString& CdgPath() const { return cdgPath_; }
    const QString& AudioPath() const { return audioPath_; }
    // The members' names as stored in the zip, for showing and for the naming of the song.
    const QString& CdgMember() const { return cdgMember_; }
    const QString& AudioMember() const { return audioMember_; }
    // The private folder the members were unpacked into; empty unless Ok().
    QString Folder() const;

    // Where the unpacked folders are made: $XDG_RUNTIME_DIR when usable, else the temporary folder.
    static QString TemporaryBase();
    // The name every unpacked folder starts with; the process id follows it.
    static QString FolderPrefix();
    // Removes the folders a run that ended without cleaning up (a crash, a kill) left in `base`:
    // only folders of ours (our prefix, our user) whose process is gone. Returns how many went.
    static int RemoveStaleFolders(const QString& base);

  private:
    void Open(const QString& zipPath, const ZipLimits& limits);

    QString message_;
    QString cdgPath_;
    QString audioPath_;
    QString cdgMember_;
    QString audioMember_;
    std::unique_ptr<QTemporaryDir> folder_;
};

}  // namespace vok
