#include "library/recorder.h"

#include <algorithm>
#include <utility>

#include "record/slt_file.h"
#include "util/text.h"

namespace tobrak {

struct LibraryRecorder::Snapshot {
    std::vector<std::uint8_t> header;  // the 48 header bytes
    std::vector<std::uint8_t> games;   // with games: the record's game bytes
    GameTimes times;
    std::string comment;
    Machine machine;
    std::string board;
    ManualCounts counts;
};

LibraryRecorder::LibraryRecorder(Session& s, std::unique_ptr<Library> library, Options o)
    : session_(s),
      lib_(std::move(library)),
      opt_(std::move(o)),
      path_(lib_->path()),
      rec_(std::make_unique<PlayRecord>()) {
    session_.listen(*this);
    writer_ = std::thread([this] { run(); });
}

LibraryRecorder::~LibraryRecorder() {
    session_.forget(*this);
    push({Item::Close, 0, 0, {}, nullptr, 0});
    {
        std::lock_guard lock(m_);
        stop_ = true;
    }
    cv_.notify_one();
    writer_.join();
}

// ---- the poll's side: small records onto the queue, nothing else

void LibraryRecorder::push(Item&& it) {
    bool wake;
    {
        std::lock_guard lock(m_);
        queue_.push_back(std::move(it));
        ++pushed_;
        wake = queue_.size() >= opt_.batch;
    }
    if (wake) cv_.notify_one();
}

std::shared_ptr<const LibraryRecorder::Snapshot> LibraryRecorder::snapshot(bool withGames) const {
    auto s = std::make_shared<Snapshot>();
    const std::vector<std::uint8_t> image = session_.image();  // the header with the display options
    s->header.assign(image.begin(), image.begin() + kHeaderLen);
    s->comment = utf16ToUtf8(session_.comment);
    s->machine = session_.machine;
    s->board = session_.boardName();
    s->counts = session_.manual;
    if (withGames) {
        s->games.assign(session_.rec.Dat_Buf.begin() + kHeaderLen, session_.rec.Dat_Buf.begin() + session_.rec.Dat_Len);
        s->times = session_.times();
    }
    return s;
}

void LibraryRecorder::gameStarted(std::int32_t index, const EventTime& t) {
    if (needStart_) {
        needStart_ = false;
        push({Item::Start, 0, index - kHeaderLen, t.wall, snapshot(true), std::exchange(continues_, 0)});
        return;
    }
    push({Item::Game, session_.rec.Dat_Buf[static_cast<std::size_t>(index)], index - kHeaderLen, t.wall, nullptr, 0});
}

void LibraryRecorder::payout(std::int32_t index, const EventTime& t) {
    if (needStart_) return;  // the first game's snapshot takes it
    push({Item::Byte, session_.rec.Dat_Buf[static_cast<std::size_t>(index)], index - kHeaderLen, t.wall, nullptr, 0});
}

void LibraryRecorder::recordReplaced() {
    if (!needStart_) push({Item::Close, 0, 0, {}, nullptr, 0});
    needStart_ = true;
    continues_ = 0;
}

void LibraryRecorder::continueSession(std::int64_t id) {
    if (needStart_) continues_ = id;
}

void LibraryRecorder::headerChanged() {
    if (!needStart_) push({Item::Header, 0, 0, {}, snapshot(false), 0});
}

void LibraryRecorder::manualCounted(int) {
    if (needStart_) return;  // the session's start takes them with it
    // A tap is only its counts: no image of the record is made for it.
    auto counts = std::make_shared<Snapshot>();
    counts->counts = session_.manual;
    push({Item::Counts, 0, 0, {}, std::move(counts), 0});
}

void LibraryRecorder::resumeFrom() {
    if (session_.rec.games() == 0) return;
    needStart_ = false;
    push({Item::Resume, 0, 0, wallNow(), snapshot(true), 0});
}

void LibraryRecorder::flush() {
    std::unique_lock lock(m_);
    const std::uint64_t target = pushed_;
    cv_.notify_one();
    flushNow_ = true;
    done_.wait(lock, [&] { return written_ >= target; });
}

LibraryNotice LibraryRecorder::takeNotice() {
    if (!hasNotice_.load()) return {};
    std::lock_guard lock(m_);
    hasNotice_ = false;
    return std::exchange(notice_, {});
}

// ---- the writer's side

void LibraryRecorder::run() {
    std::unique_lock lock(m_);
    for (;;) {
        cv_.wait_for(lock, std::chrono::milliseconds(opt_.flushMs),
                     [&] { return stop_ || flushNow_ || refresh_ || queue_.size() >= opt_.batch; });
        if (queue_.empty()) {
            flushNow_ = false;
            done_.notify_all();
            if (stop_) return;
            if (std::exchange(refresh_, false)) {
                lock.unlock();
                tellWatcher();
                lock.lock();
            }
            continue;
        }
        std::vector<Item> batch;
        batch.swap(queue_);
        flushNow_ = refresh_ = false;
        lock.unlock();
        write(batch);
        tellWatcher();
        lock.lock();
        written_ += batch.size();
        done_.notify_all();
    }
}

void LibraryRecorder::watch(std::function<void(Library&)> f) {
    {
        std::lock_guard w(watchM_);
        watcher_ = std::move(f);
    }
    refresh();
}

void LibraryRecorder::refresh() {
    {
        std::lock_guard lock(m_);
        refresh_ = true;
    }
    cv_.notify_all();
}

void LibraryRecorder::tellWatcher() {
    std::lock_guard w(watchM_);
    if (watcher_ && lib_) watcher_(*lib_);
}

void LibraryRecorder::write(std::vector<Item>& batch) {
    if (!lib_ || lib_->readOnly() || lib_->full()) return;  // told once; the journal keeps the record
    // The record is kept in memory whatever the disk does; the open session is
    // written at the end of the batch, and before a session ends or begins.
    for (const Item& it : batch) apply(it);
    store(/*close=*/false);
}

bool LibraryRecorder::store(bool close) {
    if (!active_) return true;
    // What a dropped transaction must not have changed: it is written again with the next one.
    const std::int64_t id = id_;
    const std::int32_t dirtyFrom = dirtyFrom_;
    const bool headerDirty = headerDirty_, countsDirty = countsDirty_, resume = resume_;
    const std::int64_t target = target_;
    const bool ok = lib_->inTransaction([&] {
        writeOpen();
        if (close && id_ != 0) lib_->summarize(id_, *rec_, /*close=*/true);
    });
    if (!ok) {
        id_ = id;
        dirtyFrom_ = dirtyFrom;
        headerDirty_ = headerDirty;
        countsDirty_ = countsDirty;
        resume_ = resume;
        target_ = target;
    }
    current_ = id_;
    // A failure is told when it begins, not again with each transaction that meets it.
    if (LibraryNotice n = lib_->takeNotice(); !n.empty() && !failing_) {
        std::lock_guard lock(m_);
        notice_ = std::move(n);
        hasNotice_ = true;
    }
    failing_ = !ok;
    return ok;
}

void LibraryRecorder::apply(const Item& it) {
    switch (it.kind) {
        case Item::Start:
        case Item::Resume:
            finishOpen();
            begin(*it.snap, it.time, it.kind == Item::Resume, it.target);
            break;
        case Item::Game:
        case Item::Byte: {
            if (!active_ || it.index < 0 || kHeaderLen + it.index >= kDatMax) break;
            PlayRecord& r = *rec_;
            r.Dat_Buf[static_cast<std::size_t>(kHeaderLen + it.index)] = it.byte;
            r.Dat_Len = std::max(r.Dat_Len, kHeaderLen + it.index + 1);
            times_.resize(static_cast<std::size_t>(r.games()));
            if (it.kind == Item::Game) times_[static_cast<std::size_t>(it.index)] = it.time;
            dirtyFrom_ = std::min(dirtyFrom_, it.index);
            break;
        }
        case Item::Header:
            if (!active_) break;
            std::copy_n(it.snap->header.begin(), kHeaderLen, rec_->Dat_Buf.begin());
            info_.header = it.snap->header;
            info_.comment = it.snap->comment;
            headerDirty_ = true;
            break;
        case Item::Counts:
            if (!active_) break;
            counts_ = it.snap->counts;
            countsDirty_ = true;
            break;
        case Item::Close: finishOpen(); break;
    }
}

void LibraryRecorder::begin(const Snapshot& s, const WallTime& at, bool resume, std::int64_t target) {
    PlayRecord& r = *rec_;
    r = PlayRecord{};
    std::copy_n(s.header.begin(), kHeaderLen, r.Dat_Buf.begin());
    const auto n = static_cast<std::int32_t>(std::min<std::size_t>(s.games.size(), kDatMax - kHeaderLen));
    std::copy_n(s.games.begin(), n, r.Dat_Buf.begin() + kHeaderLen);
    r.Dat_Len = kHeaderLen + n;
    times_ = s.times;
    times_.resize(static_cast<std::size_t>(n));
    info_ = NewSession{};
    info_.start = at;
    if (resume)  // the restored record's first known time, when it has one
        for (const auto& t : times_)
            if (t) {
                info_.start = *t;
                break;
            }
    info_.machine = s.machine.name;
    info_.hall = s.machine.hall;
    info_.number = s.machine.number;
    info_.profile = s.machine.profile;
    info_.board = s.board;
    info_.comment = s.comment;
    info_.header = s.header;
    active_ = true;
    resume_ = resume;
    target_ = target;
    id_ = 0;
    dirtyFrom_ = 0;
    headerDirty_ = false;
    counts_ = s.counts;
    countsDirty_ = !counts_.empty();
}

void LibraryRecorder::writeOpen() {
    if (!active_ || rec_->games() == 0) return;
    if (id_ == 0 && (resume_ || target_ != 0)) {
        id_ = lib_->continueOpen(*rec_, times_, /*close=*/false, target_);
        if (id_ != 0) {
            dirtyFrom_ = rec_->games();  // written by continueOpen
            headerDirty_ = true;         // the restored record's header
        }
    }
    if (id_ == 0) {
        id_ = lib_->addSession(info_);
        dirtyFrom_ = 0;
        headerDirty_ = false;
    }
    resume_ = false;
    target_ = 0;
    lib_->putGames(id_, *rec_, times_, dirtyFrom_);
    if (headerDirty_) lib_->putHeader(id_, info_.header, info_.comment);
    headerDirty_ = false;
    if (countsDirty_) lib_->putCounts(id_, counts_);
    countsDirty_ = false;
    for (auto t = times_.rbegin(); t != times_.rend(); ++t)
        if (*t) {
            lib_->setEnd(id_, **t);
            break;
        }
    lib_->summarize(id_, *rec_, /*close=*/false);
    dirtyFrom_ = rec_->games();
}

void LibraryRecorder::finishOpen() {
    if (!active_) return;
    // A session whose last transaction fails stays open with what was written before.
    store(/*close=*/true);
    active_ = false;
    id_ = 0;
    current_ = 0;
}

}  // namespace tobrak
