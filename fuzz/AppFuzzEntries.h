#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "app/shell/CacheSeeder.h"
#include "engine/database/MParser.h"
#include "engine/platform/Folders.h"
#include "engine/platform/SqlConnection.h"
#include "engine/platform/SqlStatement.h"
#include "engine/platform/ZError.h"

// The program's readers of outside data, for the fuzz targets and the corpus replay test; each
// returns what went wrong, empty when the reader behaved.
class AppFuzzEntries {
public:
    // The input as SetupKWs.txt, seeded by "/install" into a fresh cache in the folder: every
    // line is stored or skipped, and what is stored is a keyword identity with its count.
    static QString setupLines(const QString& folder, const QByteArray& input)
    {
        const QString setup = QDir(folder).filePath(QStringLiteral("SetupKWs.txt"));
        const QString cache = QDir(folder).filePath(QStringLiteral("Setup Cache.vxc"));
        QFile::remove(cache);
        if (!QFile::copy(zentrel::Folders::binaryFolder() + QStringLiteral("/Cache.tdb"), cache) ||
            !QFile::setPermissions(cache, QFile::ReadOwner | QFile::WriteOwner))
            return QStringLiteral("cannot make the cache");
        QFile file(setup);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(input) < 0)
            return QStringLiteral("cannot write the setup file");
        file.close();

        CacheSeeder::Result result;
        try {
            result = CacheSeeder::SeedCache(cache, setup);
        } catch (const zentrel::ZError& error) {
            return QStringLiteral("the seeding raised: ") + error.description();
        }
        const qsizetype lines =
            input.count('\n') + (input.isEmpty() || input.endsWith('\n') ? 0 : 1);
        if (!result.committed || result.stored + result.skipped != lines)
            return QStringLiteral("%1 lines, %2 stored, %3 skipped")
                .arg(lines)
                .arg(result.stored)
                .arg(result.skipped);
        return checkRows(cache, result.stored);
    }

private:
    static QString checkRows(const QString& cache, int stored)
    {
        const auto connection = zentrel::SqlConnection::open(cache);
        auto rows = connection->prepare(QStringLiteral("SELECT KW, Count FROM Cache"));
        int count = 0;
        while (rows.next()) {
            ++count;
            const QString kw = rows.text(0);
            if (kw.isEmpty() || zentrel::MParser::NormalizeKW(kw) != kw || kw.toLower() != kw)
                return QStringLiteral("stored keyword not an identity: ") + kw;
        }
        if (count != stored)
            return QStringLiteral("%1 rows for %2 stored lines").arg(count).arg(stored);
        return {};
    }
};
