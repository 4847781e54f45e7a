#include "app/collect/KWTextFile.h"

#include <algorithm>
#include <array>

#include <QFile>
#include <QStringDecoder>

#include "app/shell/MMisc.h"
#include "engine/platform/ZError.h"

namespace {

constexpr std::uint32_t kFileAccess = 0x800A004Bu; // path/file access error
constexpr qint64 kReadPiece = 1024 * 1024;
// Characters of text handed to MMisc::NormalizeKWList at a time.
constexpr qsizetype kNormalizePiece = 256 * 1024;
// Guards the ends of each piece, see NormalizeKWList.
const QString kSentinel = QStringLiteral("x");

// Windows-1252 where it differs from Latin-1 (0x80 to 0x9F); 0 where the byte is unassigned.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        const char16_t mapped = byte >= 0x80 && byte < 0xA0 ? kHighControls.at(byte - 0x80) : 0;
        text[i] = QChar(mapped != 0 ? mapped : char16_t{byte});
    }
    return text;
}

[[noreturn]] void failReading(const QString& path, const QString& cause)
{
    throw zentrel::ZError(kFileAccess,
                          QStringLiteral("Cannot read the file '%1': %2").arg(path, cause),
                          QStringLiteral("KWTextFile"));
}

// A control character that no text file holds: the C0 controls but tab, line feed, vertical
// tab, form feed and carriage return, and DEL.
bool isStrayControl(char byte)
{
    const auto code = static_cast<unsigned char>(byte);
    return (code < 0x20 && (code < 0x09 || code > 0x0D)) || code == 0x7F;
}

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// The end of the piece that starts at from: just after the last line break within a piece's
// length, else after the first one beyond it, else the end of the text.
qsizetype pieceEnd(QStringView text, qsizetype from)
{
    if (text.size() - from <= kNormalizePiece)
        return text.size();
    for (qsizetype at = from + kNormalizePiece; at > from; --at)
        if (isLineBreak(text.at(at - 1)))
            return at;
    for (qsizetype at = from + kNormalizePiece; at < text.size(); ++at)
        if (isLineBreak(text.at(at)))
            return at + 1;
    return text.size();
}

} // namespace

std::optional<QByteArray> KWTextFile::Read(const QString& path, qint64 maxBytes,
                                           const Progress& progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        failReading(path, file.errorString());
    QByteArray bytes;
    bytes.reserve(std::max<qint64>(0, std::min(maxBytes, file.size())));
    while (bytes.size() < maxBytes) {
        const QByteArray piece = file.read(std::min(kReadPiece, maxBytes - bytes.size()));
        if (file.error() != QFileDevice::NoError)
            failReading(path, file.errorString());
        if (piece.isEmpty())
            break;
        bytes += piece;
        if (!progress(static_cast<double>(bytes.size()) / static_cast<double>(maxBytes)))
            return std::nullopt;
    }
    return bytes;
}

QString KWTextFile::Decode(const QByteArray& bytes)
{
    // Stateless, so that a sequence cut at the end of the file counts as invalid too.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes);
}

// Binary files hold NUL bytes within their first kilobytes almost always, and stray control
// characters in about one byte in nine; text, in either encoding, holds neither, but for an old
// end-of-file mark. So a NUL byte, or stray controls in more than one byte in 16 (one alone
// aside), is taken as not text. UTF-16 text fails too: it is not decoded as such anyway.
bool KWTextFile::LooksLikeText(QByteArrayView start)
{
    if (start.contains('\0'))
        return false;
    const auto strays = std::count_if(start.begin(), start.end(), isStrayControl);
    return strays <= 1 || strays * 16 <= start.size();
}

// Each piece, cut just after a line break, goes through MMisc::NormalizeKWList between two
// sentinel lines: so the trimming of the text's ends, and the unchanged text given back when no
// line is kept, apply to the whole text as in one call, while each line is treated on its own
// either way. The sentinels come back as the first and last lines kept.
std::optional<QString> KWTextFile::NormalizeKWList(const QString& text, const Progress& progress)
{
    if (text.isEmpty())
        return QString();
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    const QStringView trimmed = QStringView(text).mid(first, last - first);
    const QString crLf = QStringLiteral("\r\n");
    const qsizetype guard = kSentinel.size() + crLf.size();

    QString all;
    bool anyKept = false;
    for (qsizetype from = 0; from < trimmed.size();) {
        const qsizetype to = pieceEnd(trimmed, from);
        const QString kept = MMisc::NormalizeKWList(
            kSentinel + crLf + trimmed.mid(from, to - from) + crLf + kSentinel);
        if (kept.size() > 2 * kSentinel.size() + crLf.size()) {
            if (anyKept)
                all += crLf;
            all += QStringView(kept).mid(guard, kept.size() - 2 * guard);
            anyKept = true;
        }
        from = to;
        if (!progress(static_cast<double>(from) / static_cast<double>(trimmed.size())))
            return std::nullopt;
    }
    return anyKept ? all : text;
}
