#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include <httplib.h>

#include <QString>

// A web server on 127.0.0.1 at a free port, serving on its own thread while the object lives.
// It records the target of every request it receives. Each test gives the answers it needs as
// handlers; a handler that holds its request waits through hold() or a gate, which end at once
// when the server stops. For answers no web server would give (headers cut off, no answer at
// all), a test takes the connections themselves instead.
class FixtureServer {
public:
    using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;
    // Reads from and writes to the client's socket; the server closes it afterwards.
    using RawHandler = std::function<void(int socket)>;

    // threads: how many requests it serves at once; 0 leaves the library's default.
    explicit FixtureServer(int threads = 0)
        : m_server(std::make_unique<httplib::Server>())
    {
        start(threads);
    }
    // Every connection goes to the handler instead of the HTTP handlers.
    explicit FixtureServer(RawHandler raw, int threads = 0)
        : m_server(std::make_unique<RawServer>(std::move(raw)))
    {
        start(threads);
    }
    ~FixtureServer()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_server->stop();
        m_thread.join();
    }
    FixtureServer(const FixtureServer&) = delete;
    FixtureServer& operator=(const FixtureServer&) = delete;

    // Serves `body` as text/html at the path.
    void page(const std::string& path, const std::string& body,
              const std::string& contentType = "text/html")
    {
        m_server->Get(path, [body, contentType](const httplib::Request&, httplib::Response& res) {
            res.set_content(body, contentType);
        });
    }
    void handle(const std::string& pattern, Handler handler)
    {
        m_server->Get(pattern, std::move(handler));
    }

    // Holds the request until the server stops (a server that never answers).
    void silent(const std::string& path)
    {
        m_server->Get(path, [this](const httplib::Request&, httplib::Response& res) {
            hold(std::chrono::hours(1));
            res.status = 503;
        });
    }

    // Holds requests at the path until openGate() or the server stops, or for at most `limit`,
    // then answers "gate".
    void gate(const std::string& path, std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        m_server->Get(path, [this, limit](const httplib::Request&, httplib::Response& res) {
            {
                std::unique_lock lock(m_mutex);
                m_mostHeld = std::max(m_mostHeld, ++m_held);
                m_changed.wait_for(lock, limit, [this] { return m_gateOpen || m_stopping; });
                --m_held;
            }
            res.set_content("gate", "text/plain");
        });
    }
    void openGate()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_gateOpen = true;
        }
        m_changed.notify_all();
    }
    // Requests waiting at the gates now, and the most that waited at once.
    int held() const
    {
        const std::lock_guard lock(m_mutex);
        return m_held;
    }
    int mostHeld() const
    {
        const std::lock_guard lock(m_mutex);
        return m_mostHeld;
    }

    // For a handler: waits until the server stops, or for at most `limit`.
    void hold(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, limit, [this] { return m_stopping; });
    }
    bool stopping() const
    {
        const std::lock_guard lock(m_mutex);
        return m_stopping;
    }

    int port() const { return m_port; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QString url(const QString& path) const { return QStringLiteral("http://") + host() + path; }

    std::vector<std::string> targets() const
    {
        const std::lock_guard lock(m_mutex);
        return m_targets;
    }

private:
    // Hands each connection to the raw handler.
    class RawServer final : public httplib::Server {
    public:
        explicit RawServer(RawHandler handler)
            : m_handler(std::move(handler))
        {
        }

    private:
        bool process_and_close_socket(socket_t sock) override
        {
            m_handler(sock);
            ::close(sock);
            return true;
        }

        RawHandler m_handler;
    };

    void start(int threads)
    {
        if (threads > 0)
            m_server->new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
        m_server->set_logger([this](const httplib::Request& request, const httplib::Response&) {
            const std::lock_guard lock(m_mutex);
            m_targets.push_back(request.target);
        });
        m_port = m_server->bind_to_any_port("127.0.0.1");
        // The socket listens from the bind on, so requests wait until the thread serves them.
        m_thread = std::thread([this] { m_server->listen_after_bind(); });
        // A stop before the thread listens would leave it waiting in accept for ever.
        while (!m_server->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopping = false;
    bool m_gateOpen = false;
    int m_held = 0;
    int m_mostHeld = 0;
    std::vector<std::string> m_targets;
};
