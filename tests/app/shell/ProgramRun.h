#pragma once

#include <chrono>

#include <QFile>
#include <QProcess>
#include <QString>

#include "tests/support/TestSupport.h"

// The program itself in a process of its own on a data folder, offscreen, offline, with its
// research hosts on a closed port of 127.0.0.1 and its temporary files under tempFolder.
class ProgramRun {
public:
    ProgramRun(const QString& home, const QString& tempFolder)
        : m_log(home + QStringLiteral("/QuintaraKeywords.log"))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUINTARA_HOME"), home);
        env.insert(QStringLiteral("TMPDIR"), tempFolder);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QUINTARA_ONLINE"), QStringLiteral("0"));
        for (const char* host :
             {"QUINTARA_SEARCH_HOST", "QUINTARA_SUGGEST_HOST", "QUINTARA_FEEDBACK_HOST"})
            env.insert(QString::fromLatin1(host), QStringLiteral("127.0.0.1:9"));
        m_process.setProcessEnvironment(env);
        m_process.setProgram(QStringLiteral(QUINTARA_PROGRAM));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~ProgramRun()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // Starts the program and waits until its main window is up.
    bool start(std::chrono::milliseconds deadline = std::chrono::seconds(30))
    {
        m_process.start();
        return m_process.waitForStarted() &&
               testsupport::waitUntil([&] { return logHas("Initialized successfullly."); },
                                      deadline);
    }

    bool logHas(const char* text) const
    {
        QFile log(m_log);
        return log.open(QIODevice::ReadOnly) && log.readAll().contains(text);
    }

    QProcess& process() { return m_process; }

private:
    QString m_log;
    QProcess m_process;
};
