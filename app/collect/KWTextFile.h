#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A keyword text file's text: UTF-8 (with or without a byte-order mark) when its bytes are
// valid UTF-8, else Windows-1252, so that accented keywords keep their accents either way.
class KWTextFile {
public:
    // Told the share of the work done so far (0 to 1) between pieces; false stops the work.
    using Progress = std::function<bool(double done)>;

    // The largest file imported: some 3.6 million lines of one to four words, which the add
    // dialog holds in about 1 GB.
    static constexpr qint64 kMaxSize = qint64{64} * 1024 * 1024;
    // How much of a file's start LooksLikeText judges.
    static constexpr qint64 kSampleSize = 64 * 1024;

    // Up to maxBytes from the file's start; nothing when progress stops it. A file that cannot be
    // read raises ZError naming it.
    static std::optional<QByteArray> Read(const QString& path, qint64 maxBytes,
                                          const Progress& progress);
    static QString Decode(const QByteArray& bytes);
    // False for bytes that are plainly not text (see the definition).
    static bool LooksLikeText(QByteArrayView start);
    // MMisc::NormalizeKWList(text), worked out a piece at a time so that its time grows with the
    // text's length only; nothing when progress stops it.
    static std::optional<QString> NormalizeKWList(const QString& text, const Progress& progress);
};
