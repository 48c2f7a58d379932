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
        const int asked = drainAsked_;
        long n = 0;
        if (allowed > 0) {
            n = standIn_.Port().ReadSome(buffer.data(), allowed, 5);
            // Wine ends a read on a quiet line with a time-out.
            if (n < 0 && standIn_.Port().LastError() == ERROR_TIMEOUT) n = 0;
            if (n == 0) drainedAt_ = asked;
        }
        std::vector<Answer> due;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (n < 0) readError_ = standIn_.Port().LastError();
            if (n > 0) {
                received_ += (unsigned long long)n;
                if (byteHook_) byteHook_(buffer.data(), size_t(n));
                decoder_.Feed(buffer.data(), size_t(n));
            }
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
        for (const Answer& a : due) {
            if (!standIn_.Send(a.bytes)) Locked([&] { writeError_ = standIn_.Port().LastError(); });
            if (a.report) Locked([&] { lastReported_ = a.number; });
        }
        if (n < 0 || allowed == 0) Sleep(allowed == 0 ? 2 : 5);
    }
}
