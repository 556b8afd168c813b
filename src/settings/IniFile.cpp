#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>

#include "core/TextCodec.h"
#include "core/TextLines.h"
#include "settings/SettingsLog.h"

namespace vok {

namespace {

// Values holding a line break cannot stand verbatim on one line (folder names may hold any
// character), so they are written percent-encoded inside this marker. A verbatim value that
// happens to look like the marker is encoded too, so every value reads back as written.
const QString kEscapeOpen = QStringLiteral("@Escaped(");
constexpr QChar kEscapeClose = u')';

bool LooksEscaped(QStringView value) {
    return value.size() > kEscapeOpen.size() && value.startsWith(kEscapeOpen) &&
           value.endsWith(kEscapeClose);
}

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Spaces and tabs around keys and values are not part of them, as with the Windows profile
// functions; hand-edited files often have "key = value".
QStringView TrimBlanks(QStringView text) {
    while (!text.isEmpty() && IsBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && IsBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

bool IsQuoted(QStringView value) {
    return value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
           value.back() == value.front();
}

// A value as it stands after "=": blanks around it dropped, then one pair of matching quotes.
QStringView StoredValue(QStringView afterEquals) {
    const QStringView value = TrimBlanks(afterEquals);
    return IsQuoted(value) ? value.sliced(1, value.size() - 2) : value;
}

QString EncodeValue(const QString& value) {
    // Verbatim unless the reader would change it: a line break, blanks at either end, surrounding
    // quotes, or the look of an escaped value.
    const bool readsBack = !value.contains(u'\n') && !value.contains(u'\r') &&
                           TrimBlanks(value).size() == value.size() && !IsQuoted(value) &&
                           !LooksEscaped(value);
    if (readsBack) {
        return value;
    }
    QString out = kEscapeOpen;
    for (const QChar c : value) {
        if (c == u'%') {
            out += QStringLiteral("%25");
        } else if (c == u'\n') {
            out += QStringLiteral("%0A");
        } else if (c == u'\r') {
            out += QStringLiteral("%0D");
        } else {
            out += c;
        }
    }
    out += kEscapeClose;
    return out;
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

QString DecodeValue(QStringView stored) {
    if (!LooksEscaped(stored)) {
        return stored.toString();
    }
    const QStringView body = stored.mid(kEscapeOpen.size(), stored.size() - kEscapeOpen.size() - 1);
    QString out;
    out.reserve(body.size());
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == u'%' && i + 2 < body.size()) {
            const int high = HexDigit(body[i + 1]);
            const int low = HexDigit(body[i + 2]);
            if (high >= 0 && low >= 0) {
                out += QChar(static_cast<char16_t>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out += body[i];
    }
    return out;
}

// Cuts at the limit without leaving half of a surrogate pair behind.
QString CutValue(const QString& value) {
    if (value.size() <= kIniMaxValueLength) {
        return value;
    }
    qsizetype cut = kIniMaxValueLength;
    if (value[cut - 1].isHighSurrogate()) {
        --cut;
    }
    return value.left(cut);
}

bool SameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

std::optional<qint32> ParseIniInteger(QStringView text) {
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text = text.mid(1);
    }
    int base = 10;
    if (text.size() >= 3 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        base = 16;
        text = text.mid(2);
    } else if (text.size() >= 2 && text[0] == u'$') {
        base = 16;
        text = text.mid(1);
    }
    if (text.isEmpty()) {
        return std::nullopt;
    }
    qint64 magnitude = 0;
    const qint64 limit = base == 16 ? 0xFFFFFFFFLL : qint64{std::numeric_limits<qint32>::max()} + 1;
    for (const QChar c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    if (base == 16) {
        // Eight hexadecimal digits are a 32-bit pattern, as colours are often written.
        const auto pattern = static_cast<quint32>(magnitude);
        const auto value = static_cast<qint32>(pattern);
        return negative ? static_cast<qint32>(0U - pattern) : value;
    }
    if (negative) {
        return static_cast<qint32>(-magnitude);
    }
    if (magnitude > std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(magnitude);
}

IniFile IniFile::Parse(QByteArrayView bytes) {
    return ParseText(DecodeText(bytes));
}

IniFile IniFile::ParseText(const QString& text) {
    IniFile ini;
    ini.sections_.push_back(Section{});  // lines before the first section

    const auto addLine = [&ini](QStringView raw) {
        Line line;
        line.raw = raw.toString();
        const QStringView trimmed = raw.trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            if (close > 0) {
                ini.sections_.push_back(
                    Section{trimmed.mid(1, close - 1).trimmed().toString(), true, {}});
                ini.sections_.back().lines.push_back(std::move(line));
                return;
            }
        } else if (!trimmed.startsWith(u';')) {
            const qsizetype equals = raw.indexOf(u'=');
            if (equals >= 0) {
                const QStringView key = TrimBlanks(raw.left(equals));
                if (!key.isEmpty()) {
                    line.key = key.toString();
                    line.value = DecodeValue(StoredValue(raw.mid(equals + 1)));
                    line.entry = ini.sections_.back().header;
                }
            }
        }
        ini.sections_.back().lines.push_back(std::move(line));
    };

    for (const QString& line : SplitLines(text)) {
        addLine(line);
    }
    return ini;
}

IniFile IniFile::Load(const QString& path, LoadStatus* status) {
    LoadStatus result = LoadStatus::Missing;
    IniFile ini;
    const QFileInfo info(path);
    QFile file(path);
    if (info.exists() && !info.isFile()) {
        // A folder, device or pipe of that name: never block on it or read it as settings.
        qCWarning(lcSettings) << "Not a regular file:" << path;
        result = LoadStatus::Unreadable;
    } else if (file.open(QIODevice::ReadOnly)) {
        const qint64 size = file.size();
        QByteArray bytes;
        if (size <= kMaxFileSize) {
            bytes = file.read(kMaxFileSize + 1);
        }
        if (size > kMaxFileSize || bytes.size() > kMaxFileSize) {
            qCWarning(lcSettings) << "Ignored," << size << "bytes is over the limit:" << path;
            result = LoadStatus::Unreadable;
        } else if (file.error() != QFileDevice::NoError) {
            qCWarning(lcSettings) << "Cannot read" << path << file.errorString();
            result = LoadStatus::Unreadable;
        } else {
            // Measured as Save would write it back (CR LF become LF, a last line gets its end),
            // so whatever is accepted here can be written again unchanged. Twice the limit is
            // over it in any case: every line end shrinks by one character at most.
            const QString text = DecodeText(bytes);
            qsizetype length = text.size();
            if (length <= 2 * kMaxTextLength) {
                ini = ParseText(text);
                length = ini.TextLength();
            }
            if (length > kMaxTextLength) {
                qCWarning(lcSettings)
                    << "Ignored," << length << "characters is over the limit:" << path;
                ini = IniFile();
                result = LoadStatus::Unreadable;
            } else {
                result = LoadStatus::Loaded;
            }
        }
    } else if (QFileInfo::exists(path)) {
        qCWarning(lcSettings) << "Cannot open" << path << file.errorString();
        result = LoadStatus::Unreadable;
    }
    if (status != nullptr) {
        *status = result;
    }
    return ini;
}

const IniFile::Section* IniFile::FindSection(QStringView name) const {
    for (const Section& section : sections_) {
        if (section.header && SameName(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

IniFile::Section* IniFile::FindSection(QStringView name) {
    return const_cast<Section*>(std::as_const(*this).FindSection(name));
}

const IniFile::Line* IniFile::FindEntry(QStringView section, QStringView key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    for (const Line& line : found->lines) {
        if (line.entry && SameName(line.key, key)) {
            return &line;
        }
    }
    return nullptr;
}

std::vector<std::pair<QString, QString>> IniFile::Entries(QStringView section) const {
    std::vector<std::pair<QString, QString>> entries;
    if (const Section* found = FindSection(section)) {
        for (const Line& line : found->lines) {
            if (line.entry) {
                entries.emplace_back(line.key, CutValue(line.value));
            }
        }
    }
    return entries;
}

QString IniFile::ReadString(QStringView section, QStringView key, const QString& fallback) const {
    const Line* line = FindEntry(section, key);
    return line != nullptr ? CutValue(line->value) : fallback;
}

qint32 IniFile::ReadInteger(QStringView section, QStringView key, qint32 fallback) const {
    const Line* line = FindEntry(section, key);
    if (line == nullptr) {
        return fallback;
    }
    return ParseIniInteger(QStringView(line->value).left(kIniMaxValueLength)).value_or(fallback);
}

bool IniFile::ReadBool(QStringView section, QStringView key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::WriteString(QStringView section, QStringView key, const QString& value) {
    Section* target = FindSection(section);
    if (target == nullptr) {
        if (sections_.empty()) {
            sections_.push_back(Section{});
        }
        Line header;
        header.raw = QLatin1Char('[') + section.toString() + QLatin1Char(']');
        sections_.push_back(Section{section.toString(), true, {std::move(header)}});
        target = &sections_.back();
    }
    const QString stored = EncodeValue(value);
    for (Line& line : target->lines) {
        if (line.entry && SameName(line.key, key)) {
            // The key keeps the spelling it already has in the file.
            line.raw = line.key + QLatin1Char('=') + stored;
            line.value = value;
            return;
        }
    }
    // New keys go after the section's last non-blank line, so blank separators stay at its end.
    auto insertAt = target->lines.end();
    while (insertAt != target->lines.begin() && std::prev(insertAt)->raw.trimmed().isEmpty()) {
        --insertAt;
    }
    Line line;
    line.key = key.toString();
    line.value = value;
    line.raw = line.key + QLatin1Char('=') + stored;
    line.entry = true;
    target->lines.insert(insertAt, std::move(line));
}

void IniFile::WriteInteger(QStringView section, QStringView key, qint32 value) {
    WriteString(section, key, QString::number(value));
}

void IniFile::WriteBool(QStringView section, QStringView key, bool value) {
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::EraseSection(QStringView section) {
    std::erase_if(sections_, [section](const Section& candidate) {
        return candidate.header && SameName(candidate.name, section);
    });
}

qsizetype IniFile::TextLength() const {
    qsizetype length = 0;
    for (const Section& section : sections_) {
        for (const Line& line : section.lines) {
            length += line.raw.size() + 1;
        }
    }
    return length;
}

QString IniFile::ToText() const {
    QString text;
    for (const Section& section : sections_) {
        for (const Line& line : section.lines) {
            text += line.raw;
            text += QLatin1Char('\n');
        }
    }
    return text;
}

QByteArray IniFile::ToBytes() const {
    return ToText().toUtf8();
}

WriteResult IniFile::Save(const QString& path) const {
    // A file Load would refuse would lose every setting at the next start; keep the old one.
    if (TextLength() > kMaxTextLength) {
        qCWarning(lcSettings) << "Not written," << TextLength()
                              << "characters is over the limit:" << path;
        return WriteResult::UnableToWrite(path);
    }
    const QString text = ToText();
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        qCWarning(lcSettings) << "Cannot create the folder of" << path;
        return WriteResult::UnableToWrite(path);
    }
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.commit()) {
        qCWarning(lcSettings) << "Cannot write" << path << file.errorString();
        file.cancelWriting();
        return WriteResult::UnableToWrite(path);
    }
    return WriteResult::Written();
}

}  // namespace vok
