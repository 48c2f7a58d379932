#include "AnsweringTerminal.h"

#include <algorithm>

bool AnsweringTerminal::Open(const char* port, DWORD baudRate)
{
    Close();
    if (!standIn_.Open(port, baudRate)) return false;
    decoder_.SetListener([this](const TerminalEvent& e) { OnEvent(e); });
    opened_ = GetTickCount();
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void AnsweringTerminal::Close()
{
    running_ = false;
    if (thread_.joinable()) thread_.join();
    standIn_.Port().Close();
}

void AnsweringTerminal::Reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    decoder_.Reset();
    events_.clear();
    answers_.clear();
    queuedAcks_.clear();
    queuedAnswers_.clear();
    status_ = 0;
    ack_ = 2;
    badFrameAck_ = -1;
    ackDelay_ = 0;
    statusDelay_ = 0;
    reportNumbers_ = false;
    numbersAfterAck_ = false;
    lastReported_ = 0;
    drainMarker_.clear();
    drainBack_.clear();
    drainTail_.clear();
    muted_ = false;
}

bool AnsweringTerminal::Drain(const char* driverPort, DWORD timeoutMs)
{
    PeerPort driverEnd;
    if (!driverEnd.Open(driverPort)) return false;
    const std::string there = CableMarker(), back = CableMarker();
    Locked([&] {
        drainMarker_ = there;
        drainBack_ = back;
        drainTail_.clear();
    });
    return driverEnd.Write(there, timeoutMs) && driverEnd.SkipPast(back, timeoutMs);
}

std::vector<AnsweringTerminal::Received> AnsweringTerminal::Events()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

int AnsweringTerminal::CountOf(TerminalEvent::Kind kind)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return int(std::count_if(events_.begin(), events_.end(), [&](const Received& r) { return r.kind == kind; }));
}

TerminalPicture AnsweringTerminal::Picture()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return decoder_.Picture();
}

std::string AnsweringTerminal::Errors()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return decoder_.ErrorText();
}

int AnsweringTerminal::ErrorCount()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return decoder_.ErrorCount();
}

unsigned long long AnsweringTerminal::BytesReceived()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

DWORD AnsweringTerminal::ReadError()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return readError_;
}

DWORD AnsweringTerminal::WriteError()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return writeError_;
}

// Called inside Feed, with the lock held.
void AnsweringTerminal::OnEvent(const TerminalEvent& e)
{
    const DWORD now = GetTickCount();
    events_.push_back({e.kind, now, e.full, e.keepAlive, e.ok, e.transferNo, int(BYTE(e.transferNo - lastReported_))});
    int answer = -1;
    if (muted_) {
        if (eventHook_) eventHook_(e, answer, decoder_.Picture());
        return;
    }
    if (e.kind == TerminalEvent::Kind::ReadStatus && status_ >= 0) {
        answer = status_;
        answers_.push_back({TerminalStandIn::StatusReply(BYTE(status_)), now + statusDelay_});
    }
    if (e.kind == TerminalEvent::Kind::Frame && e.ok && !queuedAnswers_.empty()) {
        if (!queuedAnswers_.front().empty()) answers_.push_back({queuedAnswers_.front(), now + ackDelay_});
        queuedAnswers_.pop_front();
    } else if (e.kind == TerminalEvent::Kind::Frame) {
        if (!e.ok) {
            answer = badFrameAck_;
        } else {
            answer = ack_;
            if (!queuedAcks_.empty()) {
                answer = queuedAcks_.front();
                queuedAcks_.pop_front();
            }
        }
        if (answer >= 0) {
            if (reportNumbers_ && e.ok) {
                answers_.push_back(
                    {TerminalStandIn::TransferNumber(e.transferNo), now + ackDelay_, true, e.transferNo});
            } else {
                answers_.push_back({TerminalStandIn::Acknowledge(BYTE(answer)), now + ackDelay_});
                if (numbersAfterAck_)
                    answers_.push_back(
                        {TerminalStandIn::TransferNumber(e.transferNo), now + ackDelay_, true, e.transferNo});
            }
        }
    }
    if (eventHook_) eventHook_(e, answer, decoder_.Picture());
}

// What was read, with the lock held: decoded, up to a drain's marker while one is awaited. Once the marker
// has come the terminal falls silent and `back` is the marker to send back.
void AnsweringTerminal::Take(const char* data, size_t size, std::string& back)
{
    if (drainMarker_.empty()) {
        Feed(data, size);
        return;
    }
    drainTail_.append(data, size);
    const size_t at = drainTail_.find(drainMarker_);
    if (at == std::string::npos) {
        // All but what may be the start of the marker.
        const size_t keep = std::min(drainTail_.size(), drainMarker_.size() - 1);
        Feed(drainTail_.data(), drainTail_.size() - keep);
        drainTail_.erase(0, drainTail_.size() - keep);
        return;
    }
    Feed(drainTail_.data(), at);
    drainTail_.clear();
    drainMarker_.clear();
    muted_ = true;
    answers_.clear();
    back.swap(drainBack_);
}

void AnsweringTerminal::Feed(const char* data, size_t size)
{
    if (size == 0) return;
    received_ += (unsigned long long)size;
    if (byteHook_) byteHook_(data, size);
    decoder_.Feed(data, size);
}

// How many bytes a paced line lets through now; called with the lock held.
size_t AnsweringTerminal::Allowed(DWORD now, size_t size)
{
    const DWORD elapsed = now - opened_;
    if (elapsed < stallMs_) return 0;
    if (!lineRate_) return size;
    const unsigned long long due = (unsigned long long)(elapsed - stallMs_) * (lineRate_ / 10) / 1000;
    return due <= received_ ? 0 : size_t(std::min<unsigned long long>(due - received_, size));
}

void AnsweringTerminal::Run()
{
    std::vector<char> buffer(65536);
    while (running_) {
        size_t allowed;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            allowed = Allowed(GetTickCount(), buffer.size());
        }
        long n = 0;
        if (allowed > 0) {
            n = standIn_.Port().ReadSome(buffer.data(), allowed, 5);
            // Wine ends a read on a quiet line with a time-out.
            if (n < 0 && standIn_.Port().LastError() == ERROR_TIMEOUT) n = 0;
        }
        std::vector<Answer> due;
        std::string back;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (n < 0) readError_ = standIn_.Port().LastError();
            if (n > 0) Take(buffer.data(), size_t(n), back);
            if (muted_) answers_.clear();
            const DWORD now = GetTickCount();
            for (auto it = answers_.begin(); it != answers_.end();) {
                if (LONG(now - it->due) >= 0) {
                    due.push_back(*it);
                    it = answers_.erase(it);
                } else {
                    ++it;
                }
            }
        }
        if (!back.empty() && !standIn_.Send(back)) Locked([&] { writeError_ = standIn_.Port().LastError(); });
        for (const Answer& a : due) {
            if (!standIn_.Send(a.bytes)) Locked([&] { writeError_ = standIn_.Port().LastError(); });
            if (a.report) Locked([&] { lastReported_ = a.number; });
        }
        if (n < 0 || allowed == 0) Sleep(allowed == 0 ? 2 : 5);
    }
}
