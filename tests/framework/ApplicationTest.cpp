#include "framework/visual/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "framework/runtime/Thread.h"

namespace {

std::string WindowText(HWND wnd)
{
    char text[256] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}

std::string ClassOf(HWND wnd)
{
    char name[64] = "";
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

// Puts the application's title and hooks back after a test.
class ApplicationTest : public testing::Test {
protected:
    void SetUp() override
    {
        title_ = Application->Title();
        Application->SetMessageBoxHook(TMessageBoxHook::From([this](const AnsiString& text, const AnsiString& caption,
                                                                    UINT flags) {
            boxes.push_back({text.c_str(), caption.c_str(), flags});
            return IDOK;
        }));
    }
    void TearDown() override
    {
        Application->SetTitle(title_);
        Application->SetOnException(nullptr);
        Application->SetMessageBoxHook(nullptr);
    }

    struct Box {
        std::string text, caption;
        UINT flags;
    };
    std::vector<Box> boxes;

private:
    AnsiString title_;
};

TEST_F(ApplicationTest, HiddenWindowOfClassTApplicationCarriesTheTitle)
{
    const HWND wnd = Application->Handle();
    ASSERT_TRUE(IsWindow(wnd));
    EXPECT_EQ(ClassOf(wnd), "TApplication");
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_EQ(GetWindowThreadProcessId(wnd, nullptr), MainThreadID);
    EXPECT_EQ(WindowText(wnd), Application->Title().c_str());

    // A second instance of a program finds the first by class and title.
    Application->SetTitle("DravikREMOTE - Windows Terminal Device Driver");
    EXPECT_EQ(WindowText(wnd), "DravikREMOTE - Windows Terminal Device Driver");
    EXPECT_EQ(FindWindowA("TApplication", "DravikREMOTE - Windows Terminal Device Driver"), wnd);
}

TEST_F(ApplicationTest, TitleDefaultsToTheExecutablesName)
{
    TApplication other;
    EXPECT_EQ(other.Title(), "test_framework");
}

TEST_F(ApplicationTest, ExeNameIsTheFullPathOfTheProgram)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    EXPECT_EQ(Application->ExeName(), path);
    const std::string name = Application->ExeName().c_str();
    EXPECT_EQ(name.substr(1, 2), ":\\");
    EXPECT_EQ(AnsiString(name.substr(name.size() - 19)).LowerCase(), "\\test_framework.exe");
}

TEST_F(ApplicationTest, HandleExceptionGoesToOnException)
{
    TObject* gotSender = nullptr;
    std::string gotMessage;
    Application->SetOnException(TExceptionEvent::From([&](TObject* sender, Exception* e) {
        gotSender = sender;
        gotMessage = e->Message().c_str();
    }));
    TComponent component(nullptr);
    TObject* sender = &component;
    try {
        throw EConvertError("'abc' is not a valid integer value");
    } catch (...) {
        Application->HandleException(sender);
    }
    EXPECT_EQ(gotSender, sender);
    EXPECT_EQ(gotMessage, "'abc' is not a valid integer value");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ApplicationTest, HandleExceptionWithoutHandlerShowsTheMessageWithTheTitle)
{
    Application->SetTitle("Dravik test");
    try {
        throw EFOpenError("Cannot open file \"x.ini\"");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Cannot open file \"x.ini\"");
    EXPECT_EQ(boxes[0].caption, "Dravik test");
    EXPECT_EQ(boxes[0].flags & MB_ICONMASK, UINT(MB_ICONSTOP));
    EXPECT_EQ(boxes[0].flags & MB_TYPEMASK, UINT(MB_OK));
}

TEST_F(ApplicationTest, HandleExceptionCoversEveryKindOfException)
{
    std::vector<std::string> messages;
    Application->SetOnException(
        TExceptionEvent::From([&](TObject*, Exception* e) { messages.push_back(e->Message().c_str()); }));
    try {
        throw std::runtime_error("from the library");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    try {
        throw 42;
    } catch (...) {
        Application->HandleException(nullptr);
    }
    try {
        throw EAbort("silent");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    Application->HandleException(nullptr);  // outside a catch: nothing to handle
    EXPECT_EQ(messages, (std::vector<std::string>{"from the library", "Unknown exception"}));
}

TEST_F(ApplicationTest, AnExceptionFromOnExceptionIsShownNotRaised)
{
    Application->SetOnException(TExceptionEvent::From([](TObject*, Exception*) { throw EInvalidOperation("again"); }));
    EXPECT_NO_THROW({
        try {
            throw Exception("first");
        } catch (...) {
            Application->HandleException(nullptr);
        }
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "again");
}

TEST_F(ApplicationTest, HandleExceptionOnAnotherThreadIsReportedOnTheMainThread)
{
    std::vector<std::string> messages;
    std::vector<DWORD> threads;
    Application->SetOnException(TExceptionEvent::From([&](TObject*, Exception* e) {
        messages.push_back(e->Message().c_str());
        threads.push_back(GetCurrentThreadId());
    }));
    std::thread worker([] {
        try {
            throw EWriteError("Stream write error");
        } catch (...) {
            Application->HandleException(nullptr);  // returns at once; nothing runs on this thread
        }
    });
    worker.join();
    EXPECT_TRUE(messages.empty());
    Application->ProcessMessages();
    EXPECT_EQ(messages, std::vector<std::string>{"Stream write error"});
    EXPECT_EQ(threads, std::vector<DWORD>{MainThreadID});
}

TEST_F(ApplicationTest, ShowExceptionUsesTheBox)
{
    Application->ShowException(Exception("Not able to open the serial port!"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Not able to open the serial port!");
    EXPECT_EQ(boxes[0].caption, Application->Title().c_str());
}

// A real window whose procedure counts what reaches it.
class CountingWindow {
public:
    CountingWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &CountingWindow::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "DravikTestCounting";
        RegisterClassA(&wc);
        wnd_.reset(CreateWindowExA(0, "DravikTestCounting", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr));
        SetWindowLongPtrA(wnd_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    HWND Handle() const { return wnd_.get(); }
    int count = 0;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM w, LPARAM l)
    {
        if (msg == WM_USER + 7)
            if (auto* self = reinterpret_cast<CountingWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA))) {
                ++self->count;
                return 0;
            }
        return DefWindowProcA(wnd, msg, w, l);
    }
    WindowHandle wnd_;
};

TEST_F(ApplicationTest, ProcessMessagesDispatchesEverythingWaiting)
{
    CountingWindow w;
    for (int i = 0; i < 5; ++i) PostMessageA(w.Handle(), WM_USER + 7, 0, 0);
    Application->ProcessMessages();
    EXPECT_EQ(w.count, 5);
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(ApplicationTest, RunDispatchesUntilTerminateFromAnotherThread)
{
    // Its own application object, so the program's stays unterminated for the other tests.
    TApplication app;
    CountingWindow w;
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) PostMessageA(w.Handle(), WM_USER + 7, 0, 0);
        Sleep(30);
        app.Terminate();
    });
    app.Run();
    worker.join();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(w.count, 3);
    EXPECT_FALSE(Application->Terminated());
}

TEST_F(ApplicationTest, RunEndsAtOnceWhenAlreadyTerminated)
{
    TApplication app;
    app.Terminate();
    app.ProcessMessages();
    EXPECT_TRUE(app.Terminated());
    app.Run();
}

TEST_F(ApplicationTest, ExceptionOfASynchronisedCallServedByRunGoesBackToTheWorker)
{
    TApplication app;
    int handled = 0;
    app.SetOnException(TExceptionEvent::From([&](TObject*, Exception*) { ++handled; }));
    struct Thrower : TThread {
        TApplication& app;
        bool caught = false;
        explicit Thrower(TApplication& a) : TThread(true), app(a) {}
        ~Thrower() override { WaitFor(); }
        void Execute() override
        {
            try {
                Synchronize(TThreadMethod::From([] { throw Exception("in a synchronised call"); }));
            } catch (const Exception& e) {
                caught = e.Message() == "in a synchronised call";
            }
            app.Terminate();
        }
    } thrower(app);
    thrower.Resume();
    app.Run();
    thrower.WaitFor();
    EXPECT_TRUE(thrower.caught);
    EXPECT_EQ(handled, 0);
}

}  // namespace
