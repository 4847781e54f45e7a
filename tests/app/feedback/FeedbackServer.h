#pragma once

#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QString>

#include "tests/support/FixtureServer.h"

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

    FeedbackServer() = default;
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

    QString host() const { return m_server.host(); }
    std::vector<Request> requests() const
    {
        const std::lock_guard lock(m_mutex);
        return m_requests;
    }
    // Connections that the client closed while the server still held them open.
    int abandoned() const { return m_abandoned; }

private:
    // Reads until the client closes or the server stops; false when the server stopped.
    bool readUntilClosed(int client)
    {
        char buffer[4096];
        while (!m_server.stopping()) {
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
        while (!m_server.stopping()) {
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
            while (!m_server.stopping() && std::chrono::steady_clock::now() < until)
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

    std::atomic<int> m_abandoned{0};
    mutable std::mutex m_mutex;
    Mode m_mode = Mode::Answer;
    int m_status = 200;
    std::string m_reason = "OK";
    std::chrono::milliseconds m_delay{0};
    std::vector<Request> m_requests;
    // Last, so that it stops before what its connections use goes.
    FixtureServer m_server{[this](int client) { handle(client); }};
};
