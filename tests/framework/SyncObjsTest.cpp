#include "framework/runtime/SyncObjs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "framework/runtime/Exceptions.h"

namespace {

// A name no other test run in this Wine session uses.
AnsiString UniqueName(const char* what)
{
    return AnsiString("DravikTest.") + what + "." + AnsiString(unsigned(GetCurrentProcessId()));
}

TEST(Event, TwoObjectsOfOneNameShareOneManualResetEvent)
{
    const AnsiString name = UniqueName("Manual");
    TEvent setter(nullptr, true, false, name);
    TEvent waiter(nullptr, true, false, name);
    EXPECT_NE(setter.Handle(), waiter.Handle());
    EXPECT_EQ(waiter.WaitFor(0), wrTimeout);
    setter.SetEvent();
    EXPECT_EQ(waiter.WaitFor(0), wrSignaled);
    EXPECT_EQ(waiter.WaitFor(0), wrSignaled);  // stays set until reset
    waiter.ResetEvent();
    EXPECT_EQ(setter.WaitFor(0), wrTimeout);
}

TEST(Event, AnAutoResetEventReleasesOneWait)
{
    const AnsiString name = UniqueName("Auto");
    TEvent setter(nullptr, false, false, name);
    TEvent waiter(nullptr, false, false, name);
    setter.SetEvent();
    EXPECT_EQ(waiter.WaitFor(0), wrSignaled);
    EXPECT_EQ(waiter.WaitFor(0), wrTimeout);
}

TEST(Event, TheFirstObjectDecidesTheInitialState)
{
    const AnsiString name = UniqueName("Initial");
    TEvent first(nullptr, true, true, name);
    TEvent second(nullptr, true, false, name);  // opens the existing event; its own initial state is ignored
    EXPECT_EQ(second.WaitFor(0), wrSignaled);
}

TEST(Event, UnnamedAndDifferentlyNamedEventsAreSeparate)
{
    TEvent a(nullptr, true, false, "");
    TEvent b(nullptr, true, false, "");
    TEvent c(nullptr, true, false, UniqueName("One"));
    TEvent d(nullptr, true, false, UniqueName("Two"));
    a.SetEvent();
    c.SetEvent();
    EXPECT_EQ(b.WaitFor(0), wrTimeout);
    EXPECT_EQ(d.WaitFor(0), wrTimeout);
}

TEST(Event, SetOnOneThreadWakesAWaitOnAnother)
{
    const AnsiString name = UniqueName("Cross");
    TEvent waiter(nullptr, true, false, name);
    std::thread setter([&] {
        TEvent e(nullptr, true, false, name);
        Sleep(30);
        e.SetEvent();
    });
    EXPECT_EQ(waiter.WaitFor(10000), wrSignaled);
    setter.join();
}

TEST(Event, ANameHeldByAnotherKindOfObjectRaises)
{
    const AnsiString name = UniqueName("Mutex");
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
    ASSERT_TRUE(mutex);
    EXPECT_THROW(TEvent(nullptr, true, false, name), EOSError);
}

TEST(CriticalSection, KeepsOutTheOtherThreads)
{
    TCriticalSection section;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            ScopedLock lock(section);
            long v = counter;  // a read-modify-write that loses counts without the lock
            if ((i & 255) == 0) Sleep(0);
            counter = v + 1;
        }
    };
    std::thread a(work), b(work), c(work);
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(counter, 60000);
}

TEST(CriticalSection, IsReentrantForItsOwner)
{
    TCriticalSection section;
    section.Enter();
    section.Acquire();
    section.Release();
    section.Leave();
    std::thread other([&] {
        section.Acquire();
        section.Release();
    });
    other.join();
}

// ---------------------------------------------------------------------------------------------------------------

// Runs f on a new thread; Entered() tells whether it got past its lock call yet.
class Contender {
public:
    explicit Contender(std::function<void()> lock, std::function<void()> unlock = nullptr)
        : thread_([this, lock, unlock] {
              lock();
              entered_ = true;
              WaitForSingleObject(leave_.get(), INFINITE);
              if (unlock) unlock();
          })
    {
    }
    ~Contender()
    {
        Leave();
        thread_.join();
    }
    bool Entered() const { return entered_; }
    // True when it gets in within ms.
    bool EntersWithin(DWORD ms) const
    {
        const DWORD start = GetTickCount();
        while (!entered_ && GetTickCount() - start < ms) Sleep(1);
        return entered_;
    }
    void Leave() { SetEvent(leave_.get()); }

private:
    KernelHandle leave_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<bool> entered_{false};
    std::thread thread_;
};

// The lock with its waiting writers shown, so a test knows a writer waits before it goes on.
class MREWS : public TMultiReadExclusiveWriteSynchronizer {
public:
    int WaitingWriters()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return waitingWriters_;
    }
    bool WritersWaitWithin(int count, DWORD ms)
    {
        const DWORD start = GetTickCount();
        while (WaitingWriters() < count && GetTickCount() - start < ms) Sleep(1);
        return WaitingWriters() >= count;
    }
};

TEST(MultiReadExclusiveWrite, ManyReadersHoldItAtOnce)
{
    MREWS lock;
    std::vector<std::unique_ptr<Contender>> readers;
    for (int i = 0; i < 6; ++i)
        readers.push_back(std::make_unique<Contender>([&] { lock.BeginRead(); }, [&] { lock.EndRead(); }));
    for (auto& r : readers) EXPECT_TRUE(r->EntersWithin(10000));  // all in while none has left
}

TEST(MultiReadExclusiveWrite, AWriterKeepsReadersAndWritersOut)
{
    MREWS lock;
    lock.BeginWrite();
    Contender reader([&] { lock.BeginRead(); }, [&] { lock.EndRead(); });
    Contender writer([&] { lock.BeginWrite(); }, [&] { lock.EndWrite(); });
    ASSERT_TRUE(lock.WritersWaitWithin(1, 10000));
    EXPECT_FALSE(reader.EntersWithin(100));
    EXPECT_FALSE(writer.Entered());
    lock.EndWrite();
    EXPECT_TRUE(writer.EntersWithin(10000));  // a waiting writer goes before new readers
    EXPECT_FALSE(reader.EntersWithin(50));
    writer.Leave();
    EXPECT_TRUE(reader.EntersWithin(10000));
}

TEST(MultiReadExclusiveWrite, AReaderKeepsWritersOut)
{
    MREWS lock;
    lock.BeginRead();
    Contender writer([&] { lock.BeginWrite(); }, [&] { lock.EndWrite(); });
    EXPECT_FALSE(writer.EntersWithin(100));
    lock.EndRead();
    EXPECT_TRUE(writer.EntersWithin(10000));
}

TEST(MultiReadExclusiveWrite, TheWriterMayWriteAgainAndRead)
{
    MREWS lock;
    lock.BeginWrite();
    lock.BeginRead();   // a handler run from a nested message loop while the write is held
    lock.BeginWrite();
    lock.BeginRead();
    lock.EndRead();
    lock.EndWrite();
    lock.EndRead();
    Contender reader([&] { lock.BeginRead(); }, [&] { lock.EndRead(); });
    EXPECT_FALSE(reader.EntersWithin(50));  // still written: one EndWrite to go
    lock.EndWrite();
    EXPECT_TRUE(reader.EntersWithin(10000));
}

TEST(MultiReadExclusiveWrite, AWriterThatStillReadsKeepsWritersOut)
{
    MREWS lock;
    lock.BeginWrite();
    lock.BeginRead();
    lock.EndWrite();  // now only a reader
    Contender writer([&] { lock.BeginWrite(); }, [&] { lock.EndWrite(); });
    ASSERT_TRUE(lock.WritersWaitWithin(1, 10000));
    EXPECT_FALSE(writer.EntersWithin(100));
    Contender reader([&] { lock.BeginRead(); }, [&] { lock.EndRead(); });  // comes after the waiting writer
    EXPECT_FALSE(reader.EntersWithin(100));
    lock.EndRead();
    EXPECT_TRUE(writer.EntersWithin(10000));
    writer.Leave();
    EXPECT_TRUE(reader.EntersWithin(10000));
}

TEST(MultiReadExclusiveWrite, WaitingWritersGoBeforeNewReadersButNotBeforeReadersReadingAgain)
{
    MREWS lock;
    lock.BeginRead();
    Contender writer([&] { lock.BeginWrite(); }, [&] { lock.EndWrite(); });
    ASSERT_TRUE(lock.WritersWaitWithin(1, 10000));
    lock.BeginRead();  // must not wait for the writer, which waits for this thread
    lock.EndRead();
    Contender newReader([&] { lock.BeginRead(); }, [&] { lock.EndRead(); });
    EXPECT_FALSE(newReader.EntersWithin(100));
    lock.EndRead();
    EXPECT_TRUE(writer.EntersWithin(10000));
    EXPECT_FALSE(newReader.EntersWithin(50));
    writer.Leave();
    EXPECT_TRUE(newReader.EntersWithin(10000));
}

TEST(MultiReadExclusiveWrite, AReaderMayWriteOnceTheOtherReadersLeave)
{
    MREWS lock;
    Contender other([&] { lock.BeginRead(); }, [&] { lock.EndRead(); });
    ASSERT_TRUE(other.EntersWithin(10000));
    Contender upgrader(
        [&] {
            lock.BeginRead();
            lock.BeginWrite();
        },
        [&] {
            lock.EndWrite();
            lock.EndRead();
        });
    EXPECT_FALSE(upgrader.EntersWithin(100));
    other.Leave();
    EXPECT_TRUE(upgrader.EntersWithin(10000));
}

TEST(MultiReadExclusiveWrite, TwoReadersAskingToWriteTakeTurnsInsteadOfDeadlocking)
{
    MREWS lock;
    std::atomic<int> reading{0}, writing{0}, most{0}, done{0};
    auto upgrade = [&] {
        lock.BeginRead();
        // Both hold reads before either asks to write.
        ++reading;
        const DWORD start = GetTickCount();
        while (reading < 2 && GetTickCount() - start < 10000) Sleep(1);
        lock.BeginWrite();
        int now = ++writing;
        if (now > most) most = now;
        Sleep(20);
        --writing;
        lock.EndWrite();
        lock.EndRead();
        ++done;
    };
    std::thread a(upgrade), b(upgrade);
    const DWORD start = GetTickCount();
    while (done < 2 && GetTickCount() - start < 10000) Sleep(1);
    EXPECT_EQ(done, 2);
    a.join();
    b.join();
    EXPECT_EQ(reading, 2);
    EXPECT_EQ(most, 1);
}

TEST(MultiReadExclusiveWrite, AnUnmatchedEndIsIgnored)
{
    MREWS lock;
    lock.EndRead();
    lock.EndWrite();
    lock.BeginRead();
    Contender writer([&] { lock.BeginWrite(); }, [&] { lock.EndWrite(); });
    std::thread stranger([&] { lock.EndRead(); });  // not a reader: must not release this thread's read
    stranger.join();
    EXPECT_FALSE(writer.EntersWithin(100));
    lock.EndRead();
    EXPECT_TRUE(writer.EntersWithin(10000));
}

TEST(MultiReadExclusiveWrite, ScopedLocksRelease)
{
    MREWS lock;
    {
        ScopedWriteLock w(lock);
        ScopedReadLock r(lock);
    }
    Contender writer([&] { lock.BeginWrite(); }, [&] { lock.EndWrite(); });
    EXPECT_TRUE(writer.EntersWithin(10000));
}

}  // namespace
