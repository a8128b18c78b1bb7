#include "live/live_hub.h"

#include <utility>

#include <algorithm>

namespace tobrak::live {

std::shared_ptr<const LiveEvent> LiveHub::Watcher::next(std::chrono::milliseconds wait) {
    std::unique_lock lock(hub_.m_);
    hub_.cv_.wait_for(lock, wait, [&] { return gone_ || head_ < queue_.size(); });
    if (gone_ || head_ >= queue_.size()) return nullptr;
    auto e = std::move(queue_[head_++]);
    if (head_ == queue_.size()) {
        queue_.clear();
        head_ = 0;
    }
    return e;
}

bool LiveHub::Watcher::gone() const {
    std::lock_guard lock(hub_.m_);
    return gone_;
}

std::shared_ptr<LiveHub::Watcher> LiveHub::watch() {
    std::lock_guard lock(m_);
    if (closed_ || watchers_.size() >= kMaxWatchers) return nullptr;
    auto w = std::shared_ptr<Watcher>(new Watcher(*this));
    watchers_.push_back(w);
    return w;
}

void LiveHub::leave(const std::shared_ptr<Watcher>& w) {
    std::lock_guard lock(m_);
    w->gone_ = true;
    w->queue_.clear();
    std::erase(watchers_, w);
}

std::size_t LiveHub::watchers() const {
    std::lock_guard lock(m_);
    return watchers_.size();
}

bool LiveHub::drained() const {
    std::lock_guard lock(m_);
    return std::all_of(watchers_.begin(), watchers_.end(), [](const auto& w) { return w->head_ >= w->queue_.size(); });
}

void LiveHub::setState(std::string json) {
    std::lock_guard lock(m_);
    state_ = std::move(json);
}

void LiveHub::publish(std::string eventJson) {
    std::shared_ptr<const std::function<void()>> tell;
    {
        std::lock_guard lock(m_);
        tell = onChange_;
        auto e = std::make_shared<LiveEvent>(LiveEvent{++seq_, std::move(eventJson)});
        for (auto it = watchers_.begin(); it != watchers_.end();) {
            Watcher& w = **it;
            if (w.queue_.size() - w.head_ >= kQueueLimit) {
                // It stopped reading: let it go rather than keep its backlog.
                w.gone_ = true;
                w.queue_.clear();
                it = watchers_.erase(it);
                continue;
            }
            w.queue_.push_back(e);
            ++it;
        }
    }
    cv_.notify_all();
    if (tell) (*tell)();
}

void LiveHub::onChange(std::function<void()> f) {
    std::lock_guard lock(m_);
    onChange_ = f ? std::make_shared<const std::function<void()>>(std::move(f)) : nullptr;
}

void LiveHub::setRecord(std::string head, std::vector<std::string> rows) {
    std::lock_guard lock(m_);
    recordHead_ = std::move(head);
    rows_ = std::move(rows);
    recordText_.reset();
}

void LiveHub::putRow(std::size_t i, std::string row) {
    std::lock_guard lock(m_);
    if (i < rows_.size())
        rows_[i] = std::move(row);
    else if (i == rows_.size())
        rows_.push_back(std::move(row));
    recordText_.reset();
}

void LiveHub::setGraph(std::string png) {
    std::lock_guard lock(m_);
    graph_ = std::make_shared<const std::string>(std::move(png));
}

bool LiveHub::graphWanted(std::chrono::steady_clock::time_point now) const {
    std::lock_guard lock(m_);
    return graphAsked_ != std::chrono::steady_clock::time_point{} && now - graphAsked_ < std::chrono::minutes(1);
}

LiveHub::Taken LiveHub::command(const std::string& requestId, CountCommand c) {
    std::lock_guard lock(m_);
    if (ids_.contains(requestId)) return Taken::Repeated;
    if (commands_.size() >= kMaxCommands) return Taken::Busy;  // not remembered: a retry may come in
    commands_.push_back(c);
    ids_.insert(requestId);
    idOrder_.push_back(requestId);
    if (idOrder_.size() > kRememberedIds) {
        ids_.erase(idOrder_.front());
        idOrder_.pop_front();
    }
    return Taken::Queued;
}

std::vector<CountCommand> LiveHub::takeCommands() {
    std::lock_guard lock(m_);
    return std::exchange(commands_, {});
}

void LiveHub::close() {
    std::shared_ptr<const std::function<void()>> tell;
    {
        std::lock_guard lock(m_);
        tell = onChange_;
        closed_ = true;
        for (auto& w : watchers_) w->gone_ = true;
        watchers_.clear();
    }
    cv_.notify_all();
    if (tell) (*tell)();
}

bool LiveHub::closed() const {
    std::lock_guard lock(m_);
    return closed_;
}

void LiveHub::setSessions(std::string json) {
    std::lock_guard lock(m_);
    sessions_ = std::move(json);
}

std::string LiveHub::sessions() const {
    std::lock_guard lock(m_);
    return sessions_;
}

std::string LiveHub::state() const {
    std::lock_guard lock(m_);
    return state_;
}

std::string LiveHub::record() const {
    std::lock_guard lock(m_);
    if (!recordText_) {
        std::size_t size = recordHead_.size() + 3;
        for (const auto& r : rows_) size += r.size() + 1;
        std::string s;
        s.reserve(size);
        s += recordHead_;
        s += '[';
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (i) s += ',';
            s += rows_[i];
        }
        s += "]}";
        recordText_ = std::make_shared<const std::string>(std::move(s));
    }
    return *recordText_;
}

std::shared_ptr<const std::string> LiveHub::graph() {
    std::lock_guard lock(m_);
    graphAsked_ = std::chrono::steady_clock::now();
    return graph_;
}

std::uint64_t LiveHub::sequence() const {
    std::lock_guard lock(m_);
    return seq_;
}

}  // namespace tobrak::live
