#include "broker/disk_queue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>

namespace tobrak {

namespace {

std::string why(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

DiskQueue::DiskQueue(std::string path, std::size_t limit) : path_(std::move(path)), limit_(limit ? limit : 1) {
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    bool torn = false;
    while (std::getline(in, line)) {
        // A line without its end was being written when the last run stopped.
        if (in.eof()) {
            torn = true;
            break;
        }
        const auto tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) {
            torn = true;
            continue;
        }
        entries_.push_back({next_++, line.substr(0, tab), line.substr(tab + 1), false});
    }
    in.close();
    while (entries_.size() > limit_) {
        entries_.pop_front();
        ++dropped_;
    }
    if (torn || dropped_) {
        rewrite();
        return;
    }
    f_ = std::fopen(path_.c_str(), "ab");
    if (!f_) problem_ = why("cannot write", path_);
}

DiskQueue::~DiskQueue() {
    // The acknowledged ones go from the file too; after a crash they are sent again (repeats have their seq).
    if (f_ && ackedSinceRewrite_ && !entries_.empty()) rewrite();
    if (f_) std::fclose(f_);
}

bool DiskQueue::append(const Entry& e) {
    if (!f_) return false;
    const std::string line = e.topic + '\t' + e.payload + '\n';
    if (std::fwrite(line.data(), 1, line.size(), f_) != line.size() || std::fflush(f_) != 0) {
        problem_ = why("cannot write", path_);
        return false;
    }
    return true;
}

void DiskQueue::rewrite() {
    if (f_) std::fclose(f_);
    ackedSinceRewrite_ = 0;
    const std::string tmp = path_ + ".new";
    f_ = std::fopen(tmp.c_str(), "wb");
    if (!f_) {
        problem_ = why("cannot write", tmp);
        f_ = std::fopen(path_.c_str(), "ab");
        return;
    }
    bool ok = true;
    for (const Entry& e : entries_) ok = ok && append(e);
    if (ok && std::rename(tmp.c_str(), path_.c_str()) == 0) {
        problem_.clear();
        return;
    }
    problem_ = why("cannot replace", path_);
    std::fclose(f_);
    std::remove(tmp.c_str());
    f_ = std::fopen(path_.c_str(), "ab");
}

std::uint64_t DiskQueue::push(std::string topic, std::string payload, bool* kept) {
    if (entries_.size() >= limit_) {
        // Full: the oldest tenth goes (the subscriber sees the gap in the sequence).
        const std::size_t n = std::max<std::size_t>(1, limit_ / 10);
        for (std::size_t i = 0; i < n && !entries_.empty(); ++i) {
            entries_.pop_front();
            ++dropped_;
        }
        rewrite();
    }
    entries_.push_back({next_++, std::move(topic), std::move(payload), false});
    const bool ok = append(entries_.back());
    if (kept) *kept = ok;
    return entries_.back().id;
}

void DiskQueue::ack(std::uint64_t id) {
    if (entries_.empty() || id < entries_.front().id) return;
    const std::size_t i = static_cast<std::size_t>(id - entries_.front().id);
    if (i >= entries_.size()) return;
    entries_[i].acked = true;
    while (!entries_.empty() && entries_.front().acked) {
        entries_.pop_front();
        ++ackedSinceRewrite_;
    }
    if (entries_.empty()) {
        // Everything arrived: the file is cut to nothing.
        if (f_ && ackedSinceRewrite_) {
            std::fflush(f_);
            if (std::FILE* t = std::freopen(path_.c_str(), "wb", f_))
                f_ = t;
            else
                f_ = nullptr, problem_ = why("cannot cut", path_);
        }
        ackedSinceRewrite_ = 0;
    } else if (ackedSinceRewrite_ >= 4096) {
        rewrite();
    }
}

}  // namespace tobrak
