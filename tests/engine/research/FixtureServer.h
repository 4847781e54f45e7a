#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <httplib.h>

#include <QString>

// A web server on 127.0.0.1 at a free port, serving on its own thread while the object lives.
// It records the target of every request it receives.
class FixtureServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

    FixtureServer()
    {
        m_server.set_logger([this](const httplib::Request& request, const httplib::Response&) {
            const std::lock_guard lock(m_mutex);
            m_targets.push_back(request.target);
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        // The socket listens from the bind on, so requests wait until the thread serves them.
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        // A stop before the thread listens would leave it waiting in accept for ever.
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~FixtureServer()
    {
        m_stopping = true;
        m_server.stop();
        m_thread.join();
    }
    FixtureServer(const FixtureServer&) = delete;
    FixtureServer& operator=(const FixtureServer&) = delete;

    // Serves `body` as text/html at the path.
    void page(const std::string& path, const std::string& body,
              const std::string& contentType = "text/html")
    {
        m_server.Get(path, [body, contentType](const httplib::Request&, httplib::Response& res) {
            res.set_content(body, contentType);
        });
    }
    void handle(const std::string& pattern, Handler handler)
    {
        m_server.Get(pattern, std::move(handler));
    }

    // Holds the request until the server stops (a server that never answers).
    void silent(const std::string& path)
    {
        m_server.Get(path, [this](const httplib::Request&, httplib::Response& res) {
            while (!m_stopping)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            res.status = 503;
        });
    }

    int port() const { return m_port; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QString url(const QString& path) const { return QStringLiteral("http://") + host() + path; }

    std::vector<std::string> targets() const
    {
        const std::lock_guard lock(m_mutex);
        return m_targets;
    }
    bool stopping() const { return m_stopping; }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_targets;
};
