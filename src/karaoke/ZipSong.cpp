#include "karaoke/ZipSong.h"

#include <zip.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <limits>
#include <optional>
#include <vector>

#include "core/FileNames.h"
#include "karaoke/KaraokeName.h"

namespace vok {

// "vok.karaoke": why a zip was refused, at info level.
Q_LOGGING_CATEGORY(lcKaraoke, "vok.karaoke", QtWarningMsg)

namespace {

// The sentences the player shows for a refused zip.
const char* const kCannotOpen = "The zip could not be opened.";
const char* const kNotZip = "This file is not a zip.";
const char* const kDamaged = "The zip is damaged.";
const char* const kTooManyMembers = "The zip holds too many files.";
const char* const kNoCdg = "This zip holds no CD+G song.";
const char* const kNoAudio = "This zip holds no audio for its song.";
const char* const kEncrypted = "The zip is encrypted.";
const char* const kTooLarge = "A file in the zip is too large.";
const char* const kUnknownPacking = "The zip is packed in a way the player cannot read.";
const char* const kCannotUnpack = "The zip could not be unpacked (is the disk full?).";

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

std::uint64_t ReadLittleEndian(const QByteArray& bytes, qsizetype at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    }
    return value;
}

// libzip reads the whole central directory when it opens a zip, for every end record it finds in
// the file's tail, and keeps an entry for every member declared there: a million members cost it
// seconds and hundreds of megabytes. So the declared counts are read here first, from the same
// end records (and their 64-bit forms), and a zip declaring too many is refused before libzip sees
// it. Gives the message of a refusal, or nothing.
std::optional<const char*> CheckDeclaredMembers(const QString& zipPath, qint64 maxMembers) {
    constexpr qint64 kEndRecordSize = 22;
    constexpr qint64 kLocatorSize = 20;
    constexpr qint64 kMaxComment = 65535;
    constexpr int kMaxEndRecords = 4;  // a real zip has one; a comment may hold a stray signature
    QFile file(zipPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return kCannotOpen;
    }
    const qint64 tailStart = std::max<qint64>(0, file.size() - kEndRecordSize - kMaxComment);
    file.seek(tailStart);
    const QByteArray tail = file.read(file.size() - tailStart);
    int endRecords = 0;
    for (qsizetype at = tail.indexOf("PK\x05\x06"); at >= 0 && at + kEndRecordSize <= tail.size();
         at = tail.indexOf("PK\x05\x06", at + 1)) {
        if (++endRecords > kMaxEndRecords) {
            return kDamaged;
        }
        std::uint64_t declared =
            std::max(ReadLittleEndian(tail, at + 8, 2), ReadLittleEndian(tail, at + 10, 2));
        if (at >= kLocatorSize && tail.mid(at - kLocatorSize, 4) == "PK\x06\x07") {
            const std::uint64_t offset = ReadLittleEndian(tail, at - kLocatorSize + 8, 8);
            const QByteArray record = offset < static_cast<std::uint64_t>(file.size()) &&
                                              file.seek(static_cast<qint64>(offset))
                                          ? file.read(40)
                                          : QByteArray();
            if (record.size() == 40 && record.startsWith("PK\x06\x06")) {
                declared =
                    std::max(ReadLittleEndian(record, 24, 8), ReadLittleEndian(record, 32, 8));
            }
        }
        if (declared > static_cast<std::uint64_t>(maxMembers)) {
            return kTooManyMembers;
        }
    }
    return std::nullopt;
}

const char* OpenErrorMessage(int error) {
    switch (error) {
        case ZIP_ER_NOZIP:
            return kNotZip;
        case ZIP_ER_NOENT:
        case ZIP_ER_OPEN:
        case ZIP_ER_READ:
        case ZIP_ER_SEEK:
            return kCannotOpen;
        default:
            return kDamaged;
    }
}

struct Member {
    zip_uint64_t Index = 0;
    QString Name;
    zip_uint64_t Size = 0;
    bool Encrypted = false;
};

// Folders, and the resource-fork copies a Mac adds under __MACOSX/ ("._Song.cdg"), are not songs.
bool IsSongMember(const QString& name) {
    return !name.endsWith(QLatin1Char('/')) && !name.startsWith(QStringLiteral("__MACOSX/")) &&
           !FileNamePart(name).startsWith(QStringLiteral("._"));
}

int AudioRank(const QString& name) {
    const QStringList extensions = GraphicsAudioExtensions();
    for (int i = 0; i < extensions.size(); ++i) {
        if (HasExtension(name, extensions[i])) {
            return i;
        }
    }
    return -1;
}

QString BaseName(const QString& memberName) {
    return NameWithoutExtension(FileNamePart(memberName));
}

struct Choice {
    std::optional<Member> Cdg;
    std::optional<Member> Audio;
};

// The first .cdg in the zip's order; as its audio, one of the same base name (in the order of the
// audio extensions) if there is one, else the first audio member.
Choice ChooseMembers(zip_t* archive, zip_int64_t count) {
    Choice choice;
    std::vector<Member> audio;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS, &stat) != 0 ||
            (stat.valid & ZIP_STAT_NAME) == 0 || (stat.valid & ZIP_STAT_SIZE) == 0) {
            continue;
        }
        Member member{static_cast<zip_uint64_t>(i), QString::fromUtf8(stat.name), stat.size,
                      (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 &&
                          stat.encryption_method != ZIP_EM_NONE};
        if (!IsSongMember(member.Name)) {
            continue;
        }
        if (IsCdgFileName(member.Name)) {
            if (!choice.Cdg) {
                choice.Cdg = member;
            }
        } else if (AudioRank(member.Name) >= 0) {
            audio.push_back(std::move(member));
        }
    }
    if (audio.empty()) {
        return choice;
    }
    choice.Audio = audio.front();
    if (choice.Cdg) {
        const QString cdgBase = BaseName(choice.Cdg->Name);
        int bestRank = -1;
        for (const Member& member : audio) {
            const int rank = AudioRank(member.Name);
            if (BaseName(member.Name).compare(cdgBase, Qt::CaseInsensitive) == 0 &&
                (bestRank < 0 || rank < bestRank)) {
                choice.Audio = member;
                bestRank = rank;
            }
        }
    }
    return choice;
}

// Copies one member to `target`, never more than `cap` bytes nor more than the member declares: a
// member that inflates past either (a zip bomb) is stopped at once, whatever its header says.
std::optional<const char*> Extract(zip_t* archive, const Member& member, qint64 cap,
                                   const QString& target) {
    if (member.Encrypted) {
        return kEncrypted;
    }
    if (member.Size > static_cast<zip_uint64_t>(cap)) {
        return kTooLarge;
    }
    const std::unique_ptr<zip_file_t, ZipFileCloser> in(zip_fopen_index(archive, member.Index, 0));
    if (!in) {
        const int error = zip_error_code_zip(zip_get_error(archive));
        return error == ZIP_ER_COMPNOTSUPP                               ? kUnknownPacking
               : error == ZIP_ER_ENCRNOTSUPP || error == ZIP_ER_NOPASSWD ? kEncrypted
                                                                         : kDamaged;
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return kCannotUnpack;
    }
    std::vector<char> buffer(64 * 1024);
    qint64 written = 0;
    while (true) {
        const zip_int64_t got = zip_fread(in.get(), buffer.data(), buffer.size());
        if (got < 0) {
            qCInfo(lcKaraoke) << "reading" << member.Name
                              << "failed:" << zip_file_strerror(in.get());
            return kDamaged;
        }
        if (got == 0) {
            break;
        }
        written += got;
        if (written > cap) {
            return kTooLarge;
        }
        if (static_cast<zip_uint64_t>(written) > member.Size) {
            return kDamaged;
        }
        if (out.write(buffer.data(), got) != got) {
            return kCannotUnpack;
        }
    }
    if (static_cast<zip_uint64_t>(written) != member.Size) {
        return kDamaged;
    }
    return out.flush() ? std::nullopt : std::optional<const char*>(kCannotUnpack);
}

}  // namespace

ZipSong::ZipSong(const QString& zipPath, const ZipLimits& limits) {
    RemoveStaleFolders(TemporaryBase());
    Open(zipPath, limits);
    if (!Ok()) {
        qCInfo(lcKaraoke) << "refused" << zipPath << ":" << message_;
        folder_.reset();
        cdgPath_.clear();
        audioPath_.clear();
    }
}

ZipSong::~ZipSong() = default;

void ZipSong::Open(const QString& zipPath, const ZipLimits& limits) {
    if (const auto refusal = CheckDeclaredMembers(zipPath, limits.MaxMembers)) {
        message_ = QString::fromLatin1(*refusal);
        return;
    }
    int error = 0;
    const std::unique_ptr<zip_t, ZipCloser> archive(
        zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &error));
    if (!archive) {
        message_ = QString::fromLatin1(OpenErrorMessage(error));
        return;
    }
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count > limits.MaxMembers) {
        message_ = QString::fromLatin1(kTooManyMembers);
        return;
    }
    const Choice choice = ChooseMembers(archive.get(), count);
    if (!choice.Cdg || !choice.Audio) {
        message_ = QString::fromLatin1(choice.Cdg ? kNoAudio : kNoCdg);
        return;
    }
    cdgMember_ = choice.Cdg->Name;
    audioMember_ = choice.Audio->Name;

    folder_ = std::make_unique<QTemporaryDir>(TemporaryBase() + QLatin1Char('/') + FolderPrefix() +
                                              QString::number(QCoreApplication::applicationPid()) +
                                              QStringLiteral("-XXXXXX"));
    if (!folder_->isValid() ||
        !QFile::setPermissions(folder_->path(),
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        message_ = QString::fromLatin1(kCannotUnpack);
        return;
    }
    // Names of our own: a member's stored path ("../../x") never reaches the file system.
    const QString audioExtension =
        GraphicsAudioExtensions().at(AudioRank(choice.Audio->Name)).toLower();
    const QString cdgTarget = folder_->filePath(QStringLiteral("song.cdg"));
    const QString audioTarget = folder_->filePath(QStringLiteral("song") + audioExtension);
    auto refusal = Extract(archive.get(), *choice.Cdg, limits.MaxCdgBytes, cdgTarget);
    if (!refusal) {
        refusal = Extract(archive.get(), *choice.Audio, limits.MaxAudioBytes, audioTarget);
    }
    if (refusal) {
        message_ = QString::fromLatin1(*refusal);
        return;
    }
    cdgPath_ = cdgTarget;
    audioPath_ = audioTarget;
}

QString ZipSong::Folder() const {
    return Ok() && folder_ ? folder_->path() : QString();
}

QString ZipSong::TemporaryBase() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QFileInfo info(runtime);
    if (!runtime.isEmpty() && info.isDir() && info.isWritable()) {
        return runtime;
    }
    return QDir::tempPath();
}

QString ZipSong::FolderPrefix() {
    return QStringLiteral("vokplayer-zip-");
}

int ZipSong::RemoveStaleFolders(const QString& base) {
    const QString prefix = FolderPrefix();
    int removed = 0;
    const QFileInfoList entries =
        QDir(base).entryInfoList({prefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        // "vokplayer-zip-<pid>-XXXXXX": the folder of a process that still runs stays.
        bool isNumber = false;
        const qint64 pid = entry.fileName()
                               .mid(prefix.size())
                               .section(QLatin1Char('-'), 0, 0)
                               .toLongLong(&isNumber);
        if (entry.isSymLink() || entry.ownerId() != getuid() || !isNumber || pid <= 0 ||
            pid > std::numeric_limits<pid_t>::max() || kill(static_cast<pid_t>(pid), 0) == 0 ||
            errno != ESRCH) {
            continue;
        }
        if (QDir(entry.filePath()).removeRecursively()) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace vok
