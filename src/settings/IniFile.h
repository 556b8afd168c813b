#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vok {

// A refused write of a settings or list file; the message is the one shown to the user.
class WriteError : public std::runtime_error {
  public:
    explicit WriteError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& Message() const { return message_; }

  private:
    QString message_;
};

// Longest string value a read returns; longer values are cut here.
inline constexpr qsizetype kIniMaxValueLength = 2047;

// Reads an INI integer: optional sign, then decimal, "0x"/"0X" hexadecimal (three or more
// characters) or "$" hexadecimal. Hexadecimal takes up to eight digits as a 32-bit pattern
// ("0xFFFFFFFF" is -1); decimal must fit a signed 32-bit integer. Surrounding blanks are
// allowed. Anything else gives nothing.
std::optional<qint32> ParseIniInteger(QStringView text);

// An INI file in memory. Section and key names match ignoring case; values are kept verbatim.
// Lines the parser does not understand (comments, lines without "=", keys before any section)
// are kept as they were, so rewriting a file never drops what a person put in it.
class IniFile {
  public:
    enum class LoadStatus { Loaded, Missing, Unreadable };

    // Largest file Load reads; a bigger one is treated as unreadable rather than held in memory.
    // Real files are a few kilobytes; a megabyte still holds thousands of song folders.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;

    IniFile() = default;

    // Bytes of a file: a UTF-8 or UTF-16 byte-order mark decides; without one, UTF-8 when the
    // bytes are valid UTF-8, else Windows-1252 (files edited on Windows keep working).
    static IniFile Parse(QByteArrayView bytes);
    // A missing or unreadable file gives an empty IniFile; `status` tells which.
    static IniFile Load(const QString& path, LoadStatus* status = nullptr);

    bool HasSection(QStringView section) const;
    bool HasKey(QStringView section, QStringView key) const;
    // Key names of the first section of that name, in file order.
    QStringList KeyNames(QStringView section) const;

    // Key names and values (cut like ReadString) of the first section of that name, in order.
    std::vector<std::pair<QString, QString>> Entries(QStringView section) const;

    // The value cut to kIniMaxValueLength characters, or `fallback` when the key is absent.
    QString ReadString(QStringView section, QStringView key, const QString& fallback) const;
    // `fallback` when absent or not a number (see ParseIniInteger).
    qint32 ReadInteger(QStringView section, QStringView key, qint32 fallback) const;
    // Read as an integer; any non-zero value is true.
    bool ReadBool(QStringView section, QStringView key, bool fallback) const;

    // Section and key names are the program's own: no line breaks, "=", "[" or "]" in them.
    void WriteString(QStringView section, QStringView key, const QString& value);
    void WriteInteger(QStringView section, QStringView key, qint32 value);
    void WriteBool(QStringView section, QStringView key, bool value);
    // Removes every section of that name with all its lines.
    void EraseSection(QStringView section);

    // The file's text as UTF-8 without a byte-order mark, lines ending in "\n".
    QByteArray ToBytes() const;
    // Writes the file atomically (temporary file in the same folder, flushed, renamed over the
    // old one), creating missing parent folders. Throws WriteError("Unable to write to <path>")
    // and leaves any previous file whole when that fails.
    void Save(const QString& path) const;

  private:
    struct Line {
        QString raw;    // the line as it stands in the file
        QString key;    // trimmed key name; empty for lines that are not entries
        QString value;  // decoded value of an entry
        bool entry = false;
    };
    struct Section {
        QString name;
        bool header = false;  // false only for the lines before the first section
        std::vector<Line> lines;
    };

    const Section* FindSection(QStringView name) const;
    Section* FindSection(QStringView name);
    const Line* FindEntry(QStringView section, QStringView key) const;

    std::vector<Section> sections_;
};

}  // namespace vok
