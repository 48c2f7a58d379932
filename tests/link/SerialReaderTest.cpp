// The reader/status thread over a real COM pair: reads of the size asked for, short reads after the
// total time-out, what OnReceive's answer does, status texts delivered on the reader thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/PeerPort.h"
#include "SerialTestPort.h"

namespace {

class SerialReader : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(peer_.Open(kTerminalPort)) << peer_.LastError(); }

    void Open() { ASSERT_TRUE(port_.OpenConnection()) << testing::PrintToString(port_.Errors()); }

    SerialTestPort port_;
    PeerPort peer_;
};

// As the receiver does it: one byte, then as many as the byte said, however the bytes arrive.
TEST_F(SerialReader, EachReadIsOfTheSizeAsked)
{
    port_.SetReceiveHook([](SerialTestPort& p, const SerialTestPort::Read& r) {
        if (r.kind == KvReadComplete && r.data.size() == 1) p.SetReadRequest(DWORD(BYTE(r.data[0])), nullptr, false);
        else p.SetReadRequest(1, nullptr, false);
        return KvReceiveNextRequest;
    });
    Open();
    std::string frames;
    std::vector<std::string> expected;
    for (int length : {3, 1, 7, 200, 2}) {
        std::string body(size_t(length), '\0');
        for (int k = 0; k < length; ++k) body[size_t(k)] = char(length + k);
        frames += char(length);
        frames += body;
        expected.push_back(std::string(1, char(length)));
        expected.push_back(body);
    }
    // All in one write, then again byte by byte.
    ASSERT_TRUE(peer_.Write(frames));
    for (char c : frames) ASSERT_TRUE(peer_.Write(&c, 1));
    std::vector<std::string> all = expected;
    all.insert(all.end(), expected.begin(), expected.end());

    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return port_.Reads().size() >= all.size(); }, 5000))
        << port_.Reads().size();
    const auto reads = port_.Reads();
    ASSERT_EQ(reads.size(), all.size());
    for (size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(reads[i].kind, KvReadComplete) << i;
        EXPECT_EQ(reads[i].data, all[i]) << i;
    }
    // Every completed read is also a line event.
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return port_.HasStatus("EVENT: RXCHAR "); }, 2000));
}

// Fewer bytes than asked come as a short read once the total time-out has run; a stop answer then ends the
// reading.
TEST_F(SerialReader, AShortReadAfterTheTotalTimeoutAndAStop)
{
    port_.SetReceiveHook([](SerialTestPort&, const SerialTestPort::Read& r) {
        return r.kind == KvReadShort ? KvReceiveStop : KvReceiveNextRequest;
    });
    port_.SetReadRequest(4, nullptr, false);
    COMMTIMEOUTS t = port_.GetTimeouts();
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 5000u) << "the engine's own";
    t.ReadTotalTimeoutConstant = 400;
    ASSERT_TRUE(port_.SetTimeouts(t));
    // The time-out runs from the read's start, which the open makes: counted from before it, a test held up
    // between the open and the write cannot make it look short.
    const DWORD opened = GetTickCount();
    Open();
    ASSERT_TRUE(peer_.Write("xy"));
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return !port_.Reads().empty(); }, 8000));
    const auto reads = port_.Reads();
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].kind, KvReadShort);
    EXPECT_EQ(reads[0].data, "xy");
    EXPECT_GE(reads[0].tick - opened, 350u);
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return port_.HasStatus("Read timed out overlapped"); }, 2000));

    // No further read after the stop: what comes stays in the port's input queue.
    ASSERT_TRUE(peer_.Write("more bytes"));
    COMSTAT stat{};
    ASSERT_TRUE(SerialTestPort::WaitFor(
        [&] {
            DWORD errors = 0;
            return ClearCommError(port_.PortHandle(), &errors, &stat) && stat.cbInQue >= 10;
        },
        3000))
        << stat.cbInQue;
    EXPECT_EQ(port_.Reads().size(), 1u);
    EXPECT_TRUE(port_.CloseConnection());
}

TEST_F(SerialReader, ReadAgainAsksAtOnceAndNothingIsLost)
{
    port_.SetReceiveHook([](SerialTestPort&, const SerialTestPort::Read&) { return KvReceiveReadAgain; });
    port_.SetReadRequest(5, nullptr, false);
    Open();
    ASSERT_TRUE(peer_.Write("abcdefghijklmnopqrst"));
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return port_.Reads().size() >= 4; }, 3000));
    std::string got;
    for (const auto& r : port_.Reads()) {
        EXPECT_EQ(r.kind, KvReadComplete);
        got += r.data;
    }
    EXPECT_EQ(got, "abcdefghijklmnopqrst");
}

TEST_F(SerialReader, StatusTextsReachTheSinkNumberedInOrder)
{
    Open();
    port_.ClearRecords();
    port_.UpdateStatus("first");
    port_.UpdateStatus("");  // an empty text is no status
    port_.UpdateStatus("second");
    ASSERT_TRUE(SerialTestPort::WaitFor([&] { return port_.HasStatus("second"); }, 2000));
    std::vector<std::string> ours;
    for (const std::string& s : port_.RawStatuses())
        if (s.find(":first") != std::string::npos || s.find(":second") != std::string::npos) ours.push_back(s);
    ASSERT_EQ(ours.size(), 2u);
    const int a = atoi(ours[0].c_str());
    const int b = atoi(ours[1].c_str());
    EXPECT_GT(a, 0);
    EXPECT_GT(b, a);
    EXPECT_EQ(ours[0], std::to_string(a) + ":first\r\n");
    EXPECT_EQ(ours[1], std::to_string(b) + ":second\r\n");
}

}  // namespace
