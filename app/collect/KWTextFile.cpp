#include "app/collect/KWTextFile.h"

#include <array>

#include <QStringDecoder>

#include "engine/platform/CFileUtilities.h"

namespace {

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

} // namespace

QString KWTextFile::Read(const QString& path)
{
    return Decode(zentrel::CFileUtilities::ReadFile(path));
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
