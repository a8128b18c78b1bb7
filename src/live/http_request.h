#pragma once
// Reading HTTP requests from a client that may be hostile: every byte a client
// can make the server hold is bounded before anything else is looked at. A
// request is complete when its header is (no request has a body here).
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tobrak::live {

struct HttpLimits {
    std::size_t maxLine = 8 * 1024;     // the request line, and each header line
    std::size_t maxHeader = 64 * 1024;  // the whole header
    std::size_t maxHeaderLines = 100;   // header lines after the request line
};

struct HttpRequest {
    std::string method;                                      // "GET"
    std::string target;                                      // as sent: path and query
    std::string path;                                        // the target up to '?'
    std::vector<std::pair<std::string, std::string>> query;  // names and values, percent-decoded
    std::string host;                                        // the Host header
    std::string authorization;
    bool keepAlive = true;
    // The first value of a query parameter ("" when absent).
    std::string param(std::string_view name) const;
};

class RequestReader {
public:
    enum class Status { NeedMore, Ready, Bad };

    explicit RequestReader(HttpLimits limits = {});
    ~RequestReader();
    RequestReader(const RequestReader&) = delete;
    RequestReader& operator=(const RequestReader&) = delete;

    // Bytes as they came from the client. Ready: request() holds the next
    // request, and bytes after it are kept for the one after. Bad: status()
    // says why; nothing more is read from this client.
    Status feed(std::string_view bytes);
    // Whether the next request has begun (a byte of it arrived).
    bool started() const { return !pending_.empty(); }
    const HttpRequest& request() const { return request_; }
    // The answer to a bad request: 400, 405, 413, 414, 431 or 505.
    int status() const { return status_; }
    // How many bytes are held now; never much more than the header limit.
    std::size_t held() const { return pending_.capacity(); }

private:
    Status check();
    Status bad(int status);
    HttpLimits limits_;
    std::string pending_;
    std::size_t scan_ = 0, lineStart_ = 0, lines_ = 0;  // how far pending_ was measured
    HttpRequest request_;
    int status_ = 0;
};

// "%41b" → "Ab"; a malformed escape is kept as it stands.
std::string percentDecode(std::string_view s);
// Everything but letters, digits and "-._~" as %XX: safe in any part of an address.
std::string percentEncode(std::string_view s);
// "host:port", "[v6]:port" or "host" → the host alone, lower-case.
std::string hostOfHeader(std::string_view header);

}  // namespace tobrak::live
