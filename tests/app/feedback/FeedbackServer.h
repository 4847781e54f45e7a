#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QString>

// A web server on 127.0.0.1 at a free port that records every request (method, path, headers,
// body) and answers the way the test chooses: a status with its text, after a delay; or only
// part of the headers, held open; or the status with a body cut short; or no answer at all.
class FeedbackServer {
public:
    enum class Mode { Answer, HoldInHeaders, CutBody, Drop };

    struct Request {
        std::string method;
        std::string path;
        std::map<std::string, std::string> headers; // names lower-cased
        std::string body;
    };

    FeedbackServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        int on = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 8);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~FeedbackServer()
    {
        m_stopping = true;
        m_thread.join();
        ::close(m_listener);
    }
    FeedbackServer(const FeedbackServer&) = delete;
    FeedbackServer& operator=(const FeedbackServer&) = delete;

    void answer(int status, const std::string& reason, std::chrono::milliseconds delay = {})
    {
        const std::lock_guard lock(m_mutex);
        m_mode = Mode::Answer;
        m_status = status;
        m_reason = reason;
        m_delay = delay;
    }
    void setMode(Mode mode)
    {
        const std::lock_guard lock(m_mutex);
        m_mode = mode;
    }

    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    std::vector<Request> requests() const
    {
        const std::lock_guard lock(m_mutex);
        return m_requests;
    }
    // Connections that the client closed while the server still held them open.
    int abandoned() const { return m_abandoned; }

private:
    void serve()
    {
        while (!m_stopping) {
            pollfd listening{m_listener, POLLIN, 0};
            if (::poll(&listening, 1, 20) <= 0)
                continue;
            const int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0)
                continue;
            handle(client);
            ::close(client);
        }
    }

    // Reads until the client closes or the server stops; false when the server stopped.
    bool readUntilClosed(int client)
    {
        char buffer[4096];
        while (!m_stopping) {
            pollfd readable{client, POLLIN, 0};
            if (::poll(&readable, 1, 20) > 0 && ::recv(client, buffer, sizeof buffer, 0) <= 0)
                return true;
        }
        return false;
    }

    bool readRequest(int client, Request& request)
    {
        std::string data;
        char buffer[65536];
        std::size_t headerEnd = std::string::npos;
        std::size_t contentLength = 0;
        while (!m_stopping) {
            if (headerEnd != std::string::npos && data.size() >= headerEnd + 4 + contentLength)
                break;
            pollfd readable{client, POLLIN, 0};
            if (::poll(&readable, 1, 20) <= 0)
                continue;
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0)
                return false;
            data.append(buffer, static_cast<std::size_t>(got));
            if (headerEnd == std::string::npos) {
                headerEnd = data.find("\r\n\r\n");
                if (headerEnd != std::string::npos)
                    contentLength = parseHead(data.substr(0, headerEnd), request);
            }
        }
        if (headerEnd == std::string::npos)
            return false;
        request.body = data.substr(headerEnd + 4, contentLength);
        return true;
    }

    static std::size_t parseHead(const std::string& head, Request& request)
    {
        std::size_t lineEnd = head.find("\r\n");
        const std::string first = head.substr(0, lineEnd);
        const std::size_t space = first.find(' ');
        request.method = first.substr(0, space);
        request.path = first.substr(space + 1, first.find(' ', space + 1) - space - 1);
        while (lineEnd != std::string::npos) {
            const std::size_t start = lineEnd + 2;
            lineEnd = head.find("\r\n", start);
            const std::string line = head.substr(start, lineEnd - start);
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            std::string name = line.substr(0, colon);
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            request.headers[name] = value;
        }
        const auto length = request.headers.find("content-length");
        return length == request.headers.end() ? 0 : std::stoul(length->second);
    }

    static void send(int client, const std::string& text)
    {
        ::send(client, text.data(), text.size(), MSG_NOSIGNAL);
    }

    void handle(int client)
    {
        Request request;
        if (!readRequest(client, request))
            return;
        Mode mode;
        int status;
        std::string reason;
        std::chrono::milliseconds delay;
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
            mode = m_mode;
            status = m_status;
            reason = m_reason;
            delay = m_delay;
        }
        switch (mode) {
        case Mode::Answer: {
            const auto until = std::chrono::steady_clock::now() + delay;
            while (!m_stopping && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            send(client, "HTTP/1.1 " + std::to_string(status) + " " + reason +
                             "\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok");
            break;
        }
        case Mode::HoldInHeaders:
            send(client, "HTTP/1.1 200 OK\r\nContent-Type: text/pl");
            if (readUntilClosed(client))
                ++m_abandoned;
            break;
        case Mode::CutBody:
            send(client, "HTTP/1.1 " + std::to_string(status) + " " + reason +
                             "\r\nContent-Length: 100\r\nConnection: close\r\n\r\nonly part");
            break;
        case Mode::Drop:
            break;
        }
    }

    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_abandoned{0};
    mutable std::mutex m_mutex;
    Mode m_mode = Mode::Answer;
    int m_status = 200;
    std::string m_reason = "OK";
    std::chrono::milliseconds m_delay{0};
    std::vector<Request> m_requests;
};
