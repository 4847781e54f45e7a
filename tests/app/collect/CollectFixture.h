#pragma once

#include <chrono>
#include <memory>

#include <QFile>
#include <QList>
#include <QWidget>

#include "app/collect/CollectOwner.h"
#include "app/shell/MsgScript.h"
#include "engine/database/DBaser.h"
#include "engine/database/MParser.h"
#include "engine/platform/CLog.h"
#include "engine/research/CDownloader.h"
#include "engine/research/Scripting.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/OnModal.h"
#include "tests/support/TestSupport.h"

namespace collecttest {

// As testsupport::onModal, once the dialog is the active window: its activation resets what a
// dialog was told before it.
template <class T, class F> void onActiveModal(F action)
{
    testsupport::onModal<T>([action](T* dialog) {
        testsupport::waitUntil([dialog] { return dialog->isActiveWindow(); },
                               std::chrono::seconds(2));
        action(dialog);
    });
}

// The main window as the commands see it: records the pages refreshed.
class RecordingOwner final : public CollectOwner {
public:
    QWidget* Window() const override { return nullptr; }
    void RefreshTab(int Tabb) override { refreshed.append(Tabb); }

    QList<int> refreshed;
};

// A running engine on a real project and cache in a temporary data folder, its search engine
// and suggestion service on a loopback server, every box answered by a script.
class Engine {
public:
    Engine()
        : m_searchHost("QUINTARA_SEARCH_HOST", server.host().toUtf8())
        , m_suggestHost("QUINTARA_SUGGEST_HOST", server.host().toUtf8())
        , m_online("QUINTARA_ONLINE", "1")
    {
        log->Open(home.file(QStringLiteral("full.log")), home.file(QStringLiteral("short.log")));
        scripting.Init(log);
        db().OpenCacheDB(home.file(QStringLiteral("Cache.vxc")));
        db().OpenProjectDB(home.file(QStringLiteral("Project.vxp")));
    }
    ~Engine() { scripting.Shutdown(); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    zentrel::DBaser& db() { return *scripting.DBaser(); }

    // The keyword's relevancy: -1 candidate, -2 not in the project.
    int relevancyOf(const QString& kw)
    {
        auto row = db().ProjectDB()->query(
            QStringLiteral("SELECT Relevancy FROM Keyword WHERE Normalized = ?1"),
            {zentrel::MParser::NormalizeKW(kw)});
        if (!row.next())
            return -2;
        return row.isNull(0) ? -1 : row.int32(0);
    }
    QStringList keywords()
    {
        QStringList all;
        auto rows =
            db().ProjectDB()->query(QStringLiteral("SELECT KW FROM Keyword ORDER BY pkKeyword"));
        while (rows.next())
            all << rows.text(0);
        return all;
    }
    QStringList operations()
    {
        QStringList all;
        auto rows = db().ProjectDB()->query(
            QStringLiteral("SELECT Description FROM Operation ORDER BY Processed"));
        while (rows.next())
            all << rows.text(0);
        return all;
    }
    // The prompts of the message boxes shown.
    QStringList messages() const
    {
        QStringList prompts;
        for (const MsgService::Request& request : script.shown(MsgService::Kind::Message))
            prompts << request.prompt;
        return prompts;
    }
    // The sources of the log's error entries (level 4 and below; level 5 only informs).
    QStringList logSources() const
    {
        QFile file(home.file(QStringLiteral("full.log")));
        QStringList sources;
        if (!file.open(QIODevice::ReadOnly))
            return sources;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            const QString source = line.section(u'\t', 3, 3);
            if (!source.isEmpty() && line.section(u'\t', 1, 1).toInt() <= 4)
                sources << source;
        }
        return sources;
    }
    QString writeFile(const QString& name, const QByteArray& bytes) const
    {
        const QString path = home.file(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

    testsupport::TempHome home;
    FixtureServer server;
    zentrel::CLogPtr log = std::make_shared<zentrel::CLog>();
    zentrel::Scripting scripting;
    RecordingOwner owner;
    MsgScript script;

private:
    testsupport::ScopedEnv m_searchHost;
    testsupport::ScopedEnv m_suggestHost;
    testsupport::ScopedEnv m_online;
};

} // namespace collecttest
