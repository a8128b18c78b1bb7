#include "live/http_request.h"

#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/parser.hpp>

#include <algorithm>
#include <cctype>

namespace tobrak::live {

namespace http = boost::beast::http;

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

}  // namespace

std::string HttpRequest::param(std::string_view name) const {
    for (const auto& [n, v] : query)
        if (n == name) return v;
    return {};
}

std::string percentDecode(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const int hi = hexDigit(s[i + 1]), lo = hexDigit(s[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string percentEncode(std::string_view s) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string hostOfHeader(std::string_view h) {
    if (!h.empty() && h.front() == '[') {
        const auto close = h.find(']');
        if (close == std::string_view::npos) return lower(h);
        return lower(h.substr(1, close - 1));
    }
    const auto colon = h.find(':');
    // More than one colon without brackets is no host:port (a bare IPv6 address).
    if (colon != std::string_view::npos && h.find(':', colon + 1) == std::string_view::npos) h = h.substr(0, colon);
    return lower(h);
}

RequestReader::RequestReader(HttpLimits limits) : limits_(limits) {}

RequestReader::~RequestReader() = default;

RequestReader::Status RequestReader::bad(int status) {
    status_ = status;
    // What was sent is of no further use: let it go now.
    std::string().swap(pending_);
    return Status::Bad;
}

RequestReader::Status RequestReader::feed(std::string_view bytes) {
    if (status_) return Status::Bad;
    pending_.append(bytes.data(), bytes.size());
    return check();
}

RequestReader::Status RequestReader::check() {
    // Lines are measured as the bytes come, before any parsing: a line without
    // an end or a header without an end stops at the limit. Each byte is looked
    // at once, however slowly the header trickles in.
    std::size_t end = 0;
    for (; scan_ < pending_.size(); ++scan_) {
        const std::size_t i = scan_;
        if (pending_[i] != '\n') {
            if (i - lineStart_ >= limits_.maxLine + 1) return bad(lines_ == 0 ? 414 : 431);
            continue;
        }
        std::size_t len = i - lineStart_;
        if (len > 0 && pending_[i - 1] == '\r') --len;
        if (len > limits_.maxLine) return bad(lines_ == 0 ? 414 : 431);
        if (len == 0 && lines_ > 0) {
            end = i + 1;
            break;
        }
        if (++lines_ > limits_.maxHeaderLines + 1) return bad(431);
        lineStart_ = i + 1;
        if (lineStart_ > limits_.maxHeader) return bad(431);
    }
    if (end == 0) return pending_.size() > limits_.maxHeader ? bad(431) : Status::NeedMore;
    if (end > limits_.maxHeader + 2) return bad(431);
    scan_ = lineStart_ = lines_ = 0;

    http::request_parser<http::empty_body> parser;
    parser.header_limit(static_cast<std::uint32_t>(limits_.maxHeader + 2));
    parser.eager(false);
    boost::beast::error_code ec;
    parser.put(boost::asio::buffer(pending_.data(), end), ec);
    if (ec && ec != http::error::need_more) return bad(400);
    if (!parser.is_header_done()) return bad(400);
    // No request here has a body; one that announces one is refused rather than read.
    if (parser.chunked() || (parser.content_length() && *parser.content_length() > 0)) return bad(413);
    const auto& msg = parser.get();
    if (msg.version() != 11 && msg.version() != 10) return bad(505);
    if (msg.count(http::field::host) > 1 || (msg.version() == 11 && msg.count(http::field::host) == 0)) return bad(400);

    HttpRequest r;
    r.method = std::string(msg.method_string());
    r.target = std::string(msg.target());
    const auto q = r.target.find('?');
    r.path = r.target.substr(0, q);
    if (q != std::string::npos) {
        std::string_view rest = std::string_view(r.target).substr(q + 1);
        while (!rest.empty()) {
            const auto amp = rest.find('&');
            const std::string_view pair = rest.substr(0, amp);
            const auto eq = pair.find('=');
            r.query.emplace_back(percentDecode(pair.substr(0, eq)),
                                 eq == std::string_view::npos ? std::string() : percentDecode(pair.substr(eq + 1)));
            if (amp == std::string_view::npos) break;
            rest.remove_prefix(amp + 1);
        }
    }
    r.host = std::string(msg[http::field::host]);
    r.authorization = std::string(msg[http::field::authorization]);
    r.keepAlive = parser.keep_alive();
    request_ = std::move(r);
    pending_.erase(0, end);
    return Status::Ready;
}

}  // namespace tobrak::live
