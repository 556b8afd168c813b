#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "core/WriteResult.h"

namespace vok {

// Longest string value a read returns; longer values are cut here.
inline constexpr qsizetype kIniMaxValueLength = 2047;

// Reads an INI integer: optional sign, then decimal, "0x"/"0X" hexadecimal (three or more
// characters) or "$" hexadecimal. Hexadecimal takes up to eight digits as a 32-bit pattern
// ("0xFFFFFFFF" is -1); decimal must fit a signed 32-bit integer. Surrounding blanks are
// allowed. Anything else gives nothing.
std::optional<qint32> ParseIniInteger(QStringView text);

// An INI file in memory. Section and key names match ignoring case. Values are written verbatim
// unless the reader would change them (line breaks, blanks at either end, surrounding quotes):
// those are written escaped, so every value reads back as written.
// Lines the parser does not understand (comments, lines without "=", keys before any section)
// are kept as they were, so rewriting a file never drops what a person put in it.
class IniFile {
  public:
    enum class LoadStatus { Loaded, Missing, Unreadable };

    // Longest text Load accepts, in characters of the text as Save writes it; a longer file is
    // treated as unreadable rather than held in memory. Real files are a few kilobytes; this
    // still holds thousands of song folders. Save refuses to write a longer text, so whatever it
    // writes reads back (as UTF-8 a character takes three bytes at most, within kMaxFileSize),
    // and whatever Load accepted can be written back unchanged.
    static constexpr qsizetype kMaxTextLength = 1024 * 1024;
    // Largest file Load reads at all: the longest text in the widest encoding it accepts
    // (UTF-8, three bytes a character) and a byte-order mark.
    static constexpr qint64 kMaxFileSize = 3 * qint64{kMaxTextLength} + 3;

    IniFile() = default;

    // Bytes of a file, decoded by DecodeText (files edited on Windows keep working). Spaces and
    // tabs around a key or a value are dropped, then one pair of matching quotes (" or ')
    // around the value, as the Windows profile functions read them.
    static IniFile Parse(QByteArrayView bytes);
    // A missing or unreadable file gives an empty IniFile; `status` tells which.
    static IniFile Load(const QString& path, LoadStatus* status = nullptr);

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
    // old one), creating missing parent folders. Fails with "Unable to write to <path>" and
    // leaves any previous file whole when that fails or the text is over kMaxTextLength.
    WriteResult Save(const QString& path) const;

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

    static IniFile ParseText(const QString& text);
    // Characters of ToText(), without building it.
    qsizetype TextLength() const;
    QString ToText() const;
    const Section* FindSection(QStringView name) const;
    Section* FindSection(QStringView name);
    const Line* FindEntry(QStringView section, QStringView key) const;

    std::vector<Section> sections_;
};

}  // namespace vok
