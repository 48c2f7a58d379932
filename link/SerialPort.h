#pragma once
// The serial port engine: one port opened for overlapped I/O, a writer thread that drains a queue of write
// requests onto it and a reader/status thread that reads what the derived class asks for and watches line
// events. Requests, payloads and status texts come from private heaps; failures become texts for two sinks.
//
// Threads: the owner (the thread that opens, closes and deletes the link: the main thread, the capture thread
// when it stops; one after the other, each handing over by a thread start or end), the writer thread, the
// reader thread, and any thread that queues requests. Each shared field below says who writes it, who reads it
// and under which lock.
//
// Lock order, for this class and the link object on it: the link's input lock, then the link's reply lock;
// the dispatch lock, then the writer-list lock, then the data-heap lock. The status, counter and time-out
// locks are taken last, with nothing taken inside them. No link lock is taken inside an engine lock: OnStatus
// and OnReceive are called with no lock held, OnError takes none.

#include <windows.h>

#include <atomic>
#include <new>

#include "framework/runtime/Handles.h"
#include "framework/runtime/SyncObjs.h"

// Request types.
inline constexpr BYTE KvRequestCharacter = 0;
inline constexpr BYTE KvRequestFileStart = 1;
inline constexpr BYTE KvRequestData = 2;
inline constexpr BYTE KvRequestTransferComplete = 3;
inline constexpr BYTE KvRequestDataBlock = 4;
inline constexpr BYTE KvRequestFlushQueue = 5;

// What OnReceive tells the reader to do next.
inline constexpr BYTE KvReceiveNothing = 1;
inline constexpr BYTE KvReceiveNextRequest = 2;  // the next queued request may go
inline constexpr BYTE KvReceiveReadAgain = 3;
inline constexpr BYTE KvReceiveStop = 255;

// Kinds of completed reads handed to OnReceive.
inline constexpr BYTE KvReadComplete = 1;  // the requested number of bytes
inline constexpr BYTE KvReadShort = 2;     // fewer: the read timed out

// One queued operation; the record comes zeroed from the writer heap, the payload from the data heap.
struct KvWriteRequest {
    BYTE type;
    BYTE character;      // written by a type-0 request
    HANDLE payloadHeap;  // the data heap the payload was taken from
    DWORD length;        // payload bytes to write
    BYTE* payload;
    DWORD replyByteCount;  // request/reply mode: bytes the reader reads as the answer
    COMMTIMEOUTS timeouts;  // request/reply mode: applied before the request is written
    BYTE purge;            // request/reply mode: drop pending input first
    KvWriteRequest* next;
    KvWriteRequest* prev;
};

class KvSerialPort {
public:
    KvSerialPort();
    KvSerialPort(const KvSerialPort&) = delete;
    KvSerialPort& operator=(const KvSerialPort&) = delete;

    // File transfer helpers on the two file handles (the reading one and the writing one).
    virtual bool FileOpen(const char* name);
    virtual bool FileCreate(const char* name);
    virtual bool FileSeek(DWORD position);
    virtual void FileClose();
    virtual bool FileRead(void* buffer, DWORD size, DWORD* done);
    virtual bool FileWrite(const void* buffer, DWORD size, DWORD* done);

    // Puts the line settings and the working time-outs on the port.
    virtual bool UpdateConnection();
    // Fills the line settings and the port name; the base has none, so a bare engine cannot open.
    virtual bool LoadSettings();
    virtual bool CheckModemStatus(bool force);
    virtual void OnModemStatusChanged(DWORD modemStatus);
    virtual void ReportProgress();
    virtual void OnWriteProgress(DWORD done, DWORD total);
    virtual void OnReadProgress(DWORD done, DWORD total);
    virtual bool PollLineStatus(bool force);
    virtual void OnLineStatusChanged(DWORD errors, const COMSTAT& comStat);
    virtual bool ReadLineErrors();
    virtual void ReportComStat(DWORD errors, const COMSTAT& comStat);
    virtual void OnCommEvent(DWORD events);
    virtual void ReportCommEvent(DWORD events);
    // Called on the reader thread, with no lock held, after every completed read (kind KvReadComplete or
    // KvReadShort); the result steers the reader (KvReceive...).
    virtual BYTE OnReceive(BYTE kind, const BYTE* buffer, DWORD count);
    virtual bool TransferFile(DWORD* chunkSize, DWORD* chunks, DWORD* fileSize);
    // The two sinks: failures and numbered status texts. OnError may come on any thread and with engine locks
    // held, so it takes none of them; OnStatus comes on the reader thread with none held.
    virtual void OnError(const char* text);
    virtual void OnStatus(const char* text);

    // A link thread that never ends makes this wait for it: a link that may be left so belongs on the heap.
    virtual ~KvSerialPort();
    // Deleting a link whose threads have not ended (a close that timed out) does not wait for them: after a
    // close within the close wait, what is still stuck is handed to a thread of its own, which waits for the
    // link threads and then destroys the link. The port stays open until then.
    void operator delete(KvSerialPort* port, std::destroying_delete_t);
    // The allocation that delete pairs with: the global one, named here so that both are the class's, and its
    // release when a constructor throws (delete expressions always take the one above).
    static void* operator new(std::size_t size);
    static void operator delete(void* memory);

    virtual bool OpenConnection();
    virtual bool SignalStop();
    // False when the link was not open. On a link thread (a fatal error) it only stops the link; the owner's
    // next close, open or the destructor finishes the teardown. A thread that does not end within the close
    // wait is reported ("Error closing port"); what it uses stays until it has ended.
    virtual bool CloseConnection();
    virtual bool SetQueueSizes(DWORD inputSize, DWORD outputSize);
    // Any thread.
    virtual bool SetTimeouts(const COMMTIMEOUTS& timeouts);
    virtual COMMTIMEOUTS GetTimeouts() const;
    virtual bool Purge(DWORD flags);
    virtual bool ReloadSettings();
    virtual DWORD CharsPerSecond() const;
    virtual bool SetFromDCB(const DCB& dcb);
    virtual bool GetDCB(DCB& dcb);

    // Names that do not fit the name buffer are refused: the name is then empty and the open fails.
    bool SetPortName(const char* name);
    const char* PortName() const { return portName_; }
    BYTE PortNumber() const { return portNumber_; }
    // Any thread.
    bool Connected() const { return connected_; }

    // Any thread. A zeroed request with a payload of size bytes; null for size 0 or when memory runs out.
    KvWriteRequest* NewWriteRequest(BYTE type, DWORD size);
    // Any thread. The queue owns the request from here on. False when the link is closed: the request is
    // freed at once.
    bool QueueWriteRequest(KvWriteRequest* request);
    bool NodePushBack(KvWriteRequest* request);
    // Any thread. Frees a request that is not queued and nulls the caller's pointer.
    bool FreeWriterItem(KvWriteRequest** request);
    // The reader's next read size; optionally new time-outs and a purge of the input.
    bool SetReadRequest(DWORD count, const COMMTIMEOUTS* timeouts, bool purge);

    // Any thread: how often the transmitter went into a hold.
    DWORD HoldCount() const { return holdCount_; }

protected:
    // Stream mode: every request goes at once and the reader reads all the time (the link object's mode).
    // Set before the link opens.
    void SetStreamMode(bool value) { streamMode_ = value; }
    bool StreamMode() const { return streamMode_; }

    // Diagnostics. ReportError adds the last system error and its text; ReportFatal closes the link.
    void ReportError(const char* operation);
    void ReportFatal(const char* operation);
    void UpdateStatus(const char* text);
    // Hands queued status texts to OnStatus, in order (the reader thread does this while the link is open).
    void DeliverStatusMessages();

    bool CreateDataHeap();
    void DestroyDataHeap();
    void* AllocDataItem(DWORD size, DWORD flags);
    bool FreeDataItem(HANDLE heap, void* item);
    bool CreateWriterHeap();
    void DestroyWriterHeap();
    KvWriteRequest* AllocWriterItem(DWORD flags);
    bool CreateStatusHeap();
    void DestroyStatusHeap();
    struct StatusItem;
    StatusItem* AllocStatusItem(DWORD size, DWORD flags);
    bool FreeStatusItem(StatusItem* item);

    bool DispatchWriteRequests(bool mayGo);
    bool WriterGeneric(const BYTE* buffer, DWORD length);

    // Owner. How long a close waits for the link threads.
    DWORD CloseWaitMs() const { return closeWaitMs_; }
    void SetCloseWaitMs(DWORD value) { closeWaitMs_ = value; }
    // Owner. Releases what the link threads of an earlier connection used once they have ended (within the
    // close wait); false while one runs on.
    bool ReleaseStoppedThreads();
    // Owner. True while link threads of this connection have not been released: running, or stopped by a
    // fatal error or a close that timed out.
    bool LinkThreadsLive() const { return threadsLive_; }
    bool OnLinkThread() const;

    HANDLE PortHandle() const { return port_.get(); }
    HANDLE WriterHeap() const { return writerHeap_.get(); }
    HANDLE DataHeap() const { return dataHeap_.get(); }
    TCriticalSection& DispatchLock() { return dispatchLock_; }
    HANDLE TransferCompleteEvent() const { return eventTransferComplete_.get(); }

    // Line settings: the owner sets them while the link is closed; the link threads and CharsPerSecond read
    // them while it is open.
    DWORD eventMask_ = EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING;
    BYTE eventChar_ = 0x0A;
    BYTE xonChar_ = 0x11;
    BYTE xoffChar_ = 0x13;
    WORD xonLimit_ = 0;
    WORD xoffLimit_ = 0;
    DWORD rtsControl_ = RTS_CONTROL_ENABLE;
    DWORD dtrControl_ = DTR_CONTROL_ENABLE;
    bool ctsOutFlow_ = false;
    bool dsrOutFlow_ = false;
    bool dsrSensitivity_ = false;
    bool outX_ = false;  // the protocol is binary: XON/XOFF would eat 0x11 and 0x13 and stall output
    bool inX_ = false;
    bool txContinueOnXoff_ = false;
    BYTE portNumber_ = 1;
    BYTE dataBits_ = 8;
    BYTE parity_ = EVENPARITY;
    BYTE stopBits_ = ONESTOPBIT;
    DWORD baudRate_ = 38400;

    // Owner: read from the port at open, put back at close.
    COMMTIMEOUTS savedTimeouts_{};
    DWORD inputQueueSize_ = 358400;
    DWORD outputQueueSize_ = 358400;

    // Written by the owner before the threads run and by the derived class's OnReceive on the reader thread;
    // read by the reader thread.
    std::atomic<DWORD> readRequestSize_{1};

private:
    struct ReaderState;

    static unsigned __stdcall WriterEntry(void* self);
    static unsigned __stdcall ReaderEntry(void* self);
    static unsigned __stdcall ReaperEntry(void* self);
    void WriterProc();
    void ReaderAndStatusProc();
    void ReaderLoop(ReaderState& s);
    // The reader loop's three steps: keep a line-event wait posted, start the next read that is wanted, wait
    // for whichever completes. The first two are false after a fatal error, the last when the loop ends.
    bool WatchLineEvents(ReaderState& s);
    bool StartRead(ReaderState& s);
    bool AwaitReaderEvent(ReaderState& s);
    void HandleEvents(ReaderState& s, DWORD events);
    void HandleRead(ReaderState& s, DWORD count);
    void EndReaderIo(ReaderState& s);
    void HandleThreadException();

    bool StartThreads();
    // Stops the threads and releases what they use; false (with everything kept) while a thread runs on.
    bool Teardown(DWORD waitMs);
    bool StopAndRelease(DWORD waitMs);
    // True when both link threads have ended, waiting at most waitMs.
    bool ThreadsEnded(DWORD waitMs) const;
    void SignalThreadExit();
    bool ThreadExitSignalled() const { return exitRequested_.load(std::memory_order_acquire); }
    bool ClearLineErrors(DWORD& errors, COMSTAT& comStat);
    bool ReleaseRequest(KvWriteRequest* request);
    // What a close frees of the queue: every request, and the heaps unless a caller still holds one.
    void ReleaseRequests();
    // Under the writer-list lock. Releases every queued request and the current one, then empties the queue.
    // With payloadsGone the payloads are left alone: the data heap they point into is being destroyed.
    void ReleaseQueue(bool payloadsGone);
    // Under the writer-list lock: the queue empty and no current request, with nothing freed.
    void ResetQueue();
    bool PurgeAll();
    bool CreateEventChecked(KernelHandle& event, BOOL manualReset, const char* operation);

    // The failure texts of one private heap, one for each step.
    struct HeapTexts {
        const char* create;
        const char* destroy;
        const char* alloc;
        const char* free;
    };
    static const HeapTexts DataHeapTexts;
    static const HeapTexts WriterHeapTexts;
    static const HeapTexts StatusHeapTexts;
    // One of the three private heaps (payloads, write requests, status texts): they are made, used and
    // destroyed alike, and each reports its failures with its own texts. Not locked: the holder's lock for
    // that heap guards every call.
    class PrivateHeap {
    public:
        PrivateHeap(KvSerialPort& owner, const HeapTexts& texts) : owner_(owner), texts_(texts) {}
        HANDLE get() const { return handle_.get(); }
        explicit operator bool() const { return bool(handle_); }
        // True when the heap is there, made now if it was not.
        bool Create();
        // None afterwards, whether or not the system destroyed it.
        void Destroy();
        // Null when there is no heap or no memory.
        void* Alloc(SIZE_T size, DWORD flags);
        // True for no item or no heap; failure reported with the given text, else the heap's own.
        bool Free(void* item, const char* failure = nullptr);

    private:
        KvSerialPort& owner_;
        const HeapTexts& texts_;
        HeapHandle handle_;
    };

    // Status texts: any thread appends under the status lock; the reader thread delivers and frees them under
    // it. The heap is made by the constructor and destroyed by the destructor.
    PrivateHeap statusHeap_;
    StatusItem* statusHead_ = nullptr;  // a dummy item
    StatusItem* statusTail_ = nullptr;
    TCriticalSection statusLock_;
    KernelHandle eventStatusMessage_;

    // Owner, while the link is closed.
    char portName_[10] = "";
    bool streamMode_ = false;

    // Reader thread only (the line and modem polls).
    DWORD modemStatus_ = 0;
    COMSTAT comStat_{};
    DWORD lineErrors_ = 0;
    bool holdFlag_ = false;
    // Written by the reader thread, read by any.
    std::atomic<DWORD> holdCount_{0};

    // The working time-outs: any thread, under their own lock (the writer thread sets them in request/reply
    // mode).
    COMMTIMEOUTS timeouts_{0, 0, 5000, 0, 0};
    mutable TCriticalSection timeoutsLock_;

    // Progress marks are never set here, so the progress hooks stay quiet. The counters: the writer (write)
    // and reader (read) thread write them under their locks.
    DWORD writeMarkLow_ = 0, writeMarkHigh_ = 0, bytesWritten_ = 0, writeInProgress_ = 0;
    TCriticalSection writeCounterLock_;
    DWORD readMarkLow_ = 0, readMarkHigh_ = 0, bytesRead_ = 0, readInProgress_ = 0;
    TCriticalSection readCounterLock_;

    // Set by whoever stops the link, read by the link threads.
    KernelHandle eventThreadExit_;
    std::atomic<bool> exitRequested_{false};
    // Set by SignalStop (any thread), read by the reader thread.
    std::atomic<bool> stopFlag_{false};

    TCriticalSection writerListLock_;
    TCriticalSection dataHeapLock_;
    TCriticalSection dispatchLock_;  // one pass of the writer over the queue, and a close's release of it

    // Under the writer-list lock: the writer heap, the queue's sentinels and links, the current request and
    // the count of requests out with callers. Made on first use by any thread, destroyed by the owner's close
    // once no caller holds a request.
    PrivateHeap writerHeap_;
    KernelHandle eventAddNode_;
    KernelHandle eventNextNode_;
    KernelHandle eventTransferComplete_;
    KernelHandle eventInitSync_;
    KernelHandle writeEvent_;  // writer thread only: its overlapped event, made on its first write

    KvWriteRequest* current_ = nullptr;
    FileHandle readFile_;
    FileHandle writeFile_;
    KvWriteRequest queueHead_{};
    KvWriteRequest queueTail_{};
    int outstanding_ = 0;  // requests made and not yet queued or freed
    // Under the data-heap lock (destroyed with the dispatch and writer-list locks held as well).
    PrivateHeap dataHeap_;

    // Owner: made at open and released once the threads have ended; the threads use them meanwhile.
    FileHandle port_;
    KernelHandle readerThread_;
    KernelHandle writerThread_;
    DWORD readerThreadId_ = 0;
    DWORD writerThreadId_ = 0;

    // Any thread reads it; it changes under the writer-list lock, so a request is never linked into a closing
    // queue.
    std::atomic<bool> connected_{false};
    // Owner only (closing_ under the writer-list lock, for the fatal reports of a teardown).
    bool threadsLive_ = false;  // threads, heaps and the port still to be released by the owner
    bool closing_ = false;
    DWORD closeWaitMs_ = 20000;
};
