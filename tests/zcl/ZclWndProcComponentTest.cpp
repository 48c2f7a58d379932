// Window hooks of library components on real forms: several per form, installed and removed in any order,
// messages reaching every hook and the form, the form's window destroyed or the form freed with hooks in place,
// the application window's hook, silent removal and enabling.

#include "zcl/core/Zclwndproccomponent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_TEST = WM_APP + 60;
constexpr UINT WM_TAKE = WM_APP + 61;   // a hook that sees it answers it itself
constexpr UINT WM_AFTER = WM_APP + 62;  // hooks pass it on, then look at the result
constexpr UINT WM_FAIL = WM_APP + 63;   // a hook raises

using Log = std::vector<std::string>;

// Records what reaches it. Freed ones are remembered, so that a call to one shows in the log.
class THookProbe : public TZCLWndProcComponent {
public:
    THookProbe(TComponent* owner, std::string name, Log& log)
        : TZCLWndProcComponent(owner), name_(std::move(name)), log_(log)
    {
        dead.erase(this);
    }
    ~THookProbe() override
    {
        dead.insert(this);
        log_.push_back("~" + name_);
    }

    static inline std::set<const void*> dead;

    using TZCLWndProcComponent::Hooked;
    using TZCLWndProcComponent::Init;
    using TZCLWndProcComponent::OwnerDestroying;

    int restored = 0;
    UINT appTakes = 0;  // application window message this probe handles

protected:
    void WndProc(TMessage& m) override
    {
        if (dead.count(this)) log_.push_back("freed " + name_ + " called");
        switch (m.Msg) {
        case WM_TEST:
            log_.push_back(name_);
            break;
        case WM_DESTROY:
            log_.push_back(name_ + " destroy");
            break;
        case WM_NCDESTROY:
            log_.push_back(name_ + " ncdestroy");
            break;
        case WM_TAKE:
            log_.push_back(name_ + " takes");
            m.Result = 5;
            return;
        case WM_AFTER:
            log_.push_back(name_ + " before");
            TZCLWndProcComponent::WndProc(m);
            log_.push_back(name_ + " after " + std::to_string(m.Result));
            m.Result += 1;
            return;
        case WM_FAIL:
            throw EInvalidOperation("hook failed");
        }
        TZCLWndProcComponent::WndProc(m);
    }
    bool AppWndProc(TMessage& m) override
    {
        if (m.Msg == WM_TEST) log_.push_back(name_ + " app");
        if (appTakes && m.Msg == appTakes) {
            m.Result = 9;
            return true;
        }
        return TZCLWndProcComponent::AppWndProc(m);
    }
    void RestoreState() override { ++restored; }

private:
    std::string name_;
    Log& log_;
};

// A base component with nothing of its own.
class TPlainHook : public TZCLWndProcComponent {
public:
    using TZCLWndProcComponent::TZCLWndProcComponent;
    using TZCLWndProcComponent::Hooked;
};

// A real form whose own procedure is recorded: it answers WM_TEST and WM_AFTER with 10.
class HookForm : public testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(40, 40, 220, 160);
        Watch(form.get());
    }
    void TearDown() override { form.reset(); }

    void Watch(TForm* f)
    {
        f->SetWindowProc(TWndMethod::From([this, f](TMessage& m) {
            switch (m.Msg) {
            case WM_TEST:
            case WM_AFTER:
                log.push_back("form");
                m.Result = 10;
                return;
            case WM_DESTROY:
                log.push_back("form destroy");
                break;
            case WM_NCDESTROY:
                log.push_back("form ncdestroy");
                break;
            }
            f->WndProc(m);
        }));
    }

    // Probes made while the form loads, so that Loaded installs them.
    std::vector<THookProbe*> Load(TForm* f, std::initializer_list<const char*> names, bool enabled = true)
    {
        std::vector<THookProbe*> probes;
        TComponentLoader loading(f);
        for (const char* name : names) {
            probes.push_back(new THookProbe(f, name, log));
            probes.back()->SetEnabled(enabled);
        }
        loading.Finish();
        return probes;
    }

    Log Send(UINT msg, LRESULT* result = nullptr)
    {
        log.clear();
        const LRESULT r = SendMessageA(form->Handle(), msg, 0, 0);
        if (result) *result = r;
        return log;
    }

    std::unique_ptr<TForm> form;
    Log log;
};

// ---------------------------------------------------------------------------------------------------------------
// Several hooks on one form

struct RemovalOrder {
    const char* name;
    std::vector<int> order;  // indexes of the probes, in the order they go
    bool silently;           // SilentRemove instead of freeing
};

class HookRemoval : public HookForm, public testing::WithParamInterface<RemovalOrder> {};

TEST_P(HookRemoval, EveryHookAndTheFormSeeEachMessageWhateverGoesFirst)
{
    const std::vector<std::string> names{"a", "b", "c"};
    const std::size_t count = GetParam().order.size();
    std::vector<THookProbe*> probes;
    {
        TComponentLoader loading(form.get());
        for (std::size_t i = 0; i < count; ++i) probes.push_back(new THookProbe(form.get(), names[i], log));
        loading.Finish();
    }
    std::vector<bool> present(count, true);
    auto expected = [&] {
        Log e;
        for (std::size_t i = 0; i < count; ++i)
            if (present[i]) e.push_back(names[i]);
        e.push_back("form");
        return e;
    };
    LRESULT result = 0;
    EXPECT_EQ(Send(WM_TEST, &result), expected());
    EXPECT_EQ(result, 10);
    for (int index : GetParam().order) {
        THookProbe* probe = probes[std::size_t(index)];
        if (GetParam().silently) {
            probe->SilentRemove();
            EXPECT_FALSE(probe->Enabled());
            EXPECT_FALSE(probe->Hooked());
        } else {
            delete probe;
        }
        present[std::size_t(index)] = false;
        EXPECT_EQ(Send(WM_TEST, &result), expected()) << "after removing " << names[std::size_t(index)];
        EXPECT_EQ(result, 10);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Orders, HookRemoval,
    testing::Values(RemovalOrder{"TwoFirstFirst", {0, 1}, false}, RemovalOrder{"TwoLastFirst", {1, 0}, false},
                    RemovalOrder{"ThreeFirstFirst", {0, 1, 2}, false},
                    RemovalOrder{"ThreeLastFirst", {2, 1, 0}, false},
                    RemovalOrder{"ThreeMiddleFirst", {1, 0, 2}, false},
                    RemovalOrder{"ThreeMiddleThenLast", {1, 2, 0}, false},
                    RemovalOrder{"TwoSilentFirstFirst", {0, 1}, true},
                    RemovalOrder{"ThreeSilentMiddleFirst", {1, 2, 0}, true},
                    RemovalOrder{"ThreeSilentLastFirst", {2, 1, 0}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HookForm, AHookAddedLaterJoinsTheOthersAndAPlainHookAfterThemStillSeesTheMessage)
{
    auto probes = Load(form.get(), {"a", "b"});
    const int id = form->AddWindowHook(TWindowHook::From([&](TMessage& m) {
        if (m.Msg == WM_TEST) log.push_back("plain");
        return false;
    }));
    auto* late = new THookProbe(form.get(), "late", log);
    late->Init();
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "b", "plain", "late", "form"}));
    delete probes[1];
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "plain", "late", "form"}));
    form->RemoveWindowHook(id);
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "late", "form"}));
}

TEST_F(HookForm, PassingOnRunsTheRestFirstSoAHookWorksOnTheResult)
{
    Load(form.get(), {"a", "b"});
    LRESULT result = 0;
    // Each hook adds 1 to what the rest of the path answered.
    EXPECT_EQ(Send(WM_AFTER, &result), (Log{"a before", "b before", "form", "b after 10", "a after 11"}));
    EXPECT_EQ(result, 12);
}

TEST_F(HookForm, AHookThatAnswersAMessageKeepsItFromTheOthersAndTheForm)
{
    auto probes = Load(form.get(), {"a", "b"});
    LRESULT result = 0;
    EXPECT_EQ(Send(WM_TAKE, &result), (Log{"a takes"}));
    EXPECT_EQ(result, 5);
    delete probes[0];
    EXPECT_EQ(Send(WM_TAKE, &result), (Log{"b takes"}));
}

TEST_F(HookForm, AFailingHookIsReportedAndTheHooksGoOnWorking)
{
    Load(form.get(), {"a", "b"});
    std::string reported;
    Application->SetOnException(TExceptionEvent::From([&](TObject*, Exception* e) { reported = e->Message().c_str(); }));
    Send(WM_FAIL);
    Application->SetOnException(nullptr);
    EXPECT_EQ(reported, "hook failed");
    LRESULT result = 0;
    EXPECT_EQ(Send(WM_AFTER, &result), (Log{"a before", "b before", "form", "b after 10", "a after 11"}));
    EXPECT_EQ(result, 12);
}

// ---------------------------------------------------------------------------------------------------------------
// The form's window going away

TEST_F(HookForm, DestroyingTheWindowReachesEveryHookAndTheFormAndAFreshWindowIsHookedAgain)
{
    auto probes = Load(form.get(), {"a", "b", "c"});
    const HWND wnd = form->Handle();
    log.clear();
    form->DestroyHandle();
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(log, (Log{"a destroy", "b destroy", "c destroy", "form destroy", "a ncdestroy", "b ncdestroy",
                        "c ncdestroy", "form ncdestroy"}));
    for (THookProbe* p : probes) EXPECT_TRUE(p->OwnerDestroying());

    // The same form gets a new window; its hooks serve it and know it is alive.
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "b", "c", "form"}));
    for (THookProbe* p : probes) EXPECT_FALSE(p->OwnerDestroying());
}

TEST_F(HookForm, AHookThatAnswersEverythingStillLetsTheFormSeeItsWindowGo)
{
    // Takes every message without passing it on.
    class TGreedy : public TZCLWndProcComponent {
    public:
        using TZCLWndProcComponent::TZCLWndProcComponent;

    protected:
        void WndProc(TMessage& m) override { m.Result = DefWindowProcA(GetOwnerHandle(), m.Msg, m.WParam, m.LParam); }
    };
    {
        TComponentLoader loading(form.get());
        new TGreedy(form.get());
        loading.Finish();
    }
    form->HandleNeeded();
    log.clear();
    form->DestroyHandle();
    EXPECT_EQ(log, (Log{"form destroy", "form ncdestroy"}));
    EXPECT_FALSE(form->HandleAllocated());
}

TEST_F(HookForm, FreeingTheFormWithItsHooksInPlaceCallsNoFreedHook)
{
    Load(form.get(), {"a", "b", "c"});
    form->HandleNeeded();
    Send(WM_TEST);
    log.clear();
    form.reset();
    // The hooks go with the form (last made first); none is called once freed, before or after the window goes.
    EXPECT_EQ(log, (Log{"~c", "~b", "~a"}));
}

TEST_F(HookForm, AFormFreedByItsOwnMessageWhileItsHooksPassItOn)
{
    auto* self = new TForm(nullptr);  // its own procedure, which frees it
    Load(self, {"a", "b"});
    self->HandleNeeded();
    log.clear();
    self->Release();  // freed from its own message, passed on by both hooks
    Application->ProcessMessages();
    EXPECT_EQ(log, (Log{"~b", "~a"}));
}

TEST_F(HookForm, AnMdiChildsHookEndsWithItsWindow)
{
    form->SetFormStyle(fsMDIChild);
    auto probes = Load(form.get(), {"a"});
    EXPECT_TRUE(probes[0]->Hooked());
    log.clear();
    form->DestroyHandle();
    // The form still gets its WM_DESTROY (and the rest) after the hook has seen it.
    EXPECT_EQ(log, (Log{"a destroy", "form destroy", "form ncdestroy"}));
    EXPECT_FALSE(probes[0]->Hooked());
    EXPECT_EQ(Send(WM_TEST), (Log{"form"}));
}

// ---------------------------------------------------------------------------------------------------------------
// The application window

class AppHook : public HookForm {
protected:
    void TearDown() override
    {
        HookForm::TearDown();
        if (after_) Application->UnhookMainWindow(after_);
    }

    // A hook on the application window after the components' ones.
    void HookAfter()
    {
        after_ = TWindowHook::From([this](TMessage& m) {
            if (m.Msg == WM_TEST) log.push_back("later app hook");
            return false;
        });
        Application->HookMainWindow(after_);
    }

    Log SendApp(UINT msg, LRESULT* result = nullptr)
    {
        log.clear();
        const LRESULT r = SendMessageA(Application->Handle(), msg, 0, 0);
        if (result) *result = r;
        return log;
    }

    std::vector<THookProbe*> LoadApp(std::initializer_list<const char*> names)
    {
        std::vector<THookProbe*> probes;
        TComponentLoader loading(form.get());
        for (const char* name : names) {
            probes.push_back(new THookProbe(form.get(), name, log));
            probes.back()->SetHandleApp(true);
        }
        loading.Finish();
        HookAfter();
        return probes;
    }

    TWindowHook after_;
};

TEST_F(AppHook, ABaseApplicationHookTakesNothingFromTheApplicationWindow)
{
    {
        TComponentLoader loading(form.get());
        auto* plain = new TPlainHook(form.get());
        plain->SetHandleApp(true);
        loading.Finish();
        EXPECT_TRUE(plain->HandleApp());
        EXPECT_TRUE(plain->Hooked());
    }
    HookAfter();
    EXPECT_EQ(SendApp(WM_TEST), (Log{"later app hook"}));
    // The application window's own procedure still answers.
    char text[128] = "";
    GetWindowTextA(Application->Handle(), text, sizeof text);
    EXPECT_EQ(std::string(text), Application->Title().c_str());
}

TEST_F(AppHook, ApplicationHooksSeeTheApplicationWindowUntilTheirComponentGoes)
{
    auto probes = LoadApp({"a", "b"});
    EXPECT_EQ(SendApp(WM_TEST), (Log{"a app", "b app", "later app hook"}));
    probes[1]->appTakes = WM_TEST;
    LRESULT result = 0;
    EXPECT_EQ(SendApp(WM_TEST, &result), (Log{"a app", "b app"}));
    EXPECT_EQ(result, 9);
    delete probes[0];
    EXPECT_EQ(SendApp(WM_TEST), (Log{"b app"}));
    probes[1]->SilentRemove();
    EXPECT_EQ(SendApp(WM_TEST), (Log{"later app hook"}));
}

TEST_F(AppHook, HandleAppCountsOnlyWhileLoading)
{
    auto probes = Load(form.get(), {"a"});
    probes[0]->SetHandleApp(true);
    EXPECT_FALSE(probes[0]->HandleApp());
    HookAfter();
    EXPECT_EQ(SendApp(WM_TEST), (Log{"later app hook"}));
}

// ---------------------------------------------------------------------------------------------------------------
// Enabling, loading and design time

TEST_F(HookForm, EnablingInstallsOnceAndDisablingTellsTheComponent)
{
    auto probes = Load(form.get(), {"a", "b"}, false);
    THookProbe* a = probes[0];
    EXPECT_FALSE(a->Hooked());
    EXPECT_EQ(Send(WM_TEST), (Log{"form"}));

    const int restored = a->restored;
    a->SetEnabled(true);
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "form"}));
    a->SetEnabled(false);
    EXPECT_EQ(a->restored, restored + 1);
    a->SetEnabled(false);  // no change, nothing told
    EXPECT_EQ(a->restored, restored + 1);
    a->SetEnabled(true);
    a->SetEnabled(true);
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "form"}));  // one hook, however often enabled

    probes[1]->SetEnabled(true);
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "b", "form"}));
}

TEST_F(HookForm, SilentRemovalTakesOneHookAwayAndEnablingBringsItBack)
{
    auto probes = Load(form.get(), {"a", "b", "c"});
    probes[1]->SilentRemove();
    EXPECT_FALSE(probes[1]->Enabled());
    EXPECT_EQ(probes[1]->restored, 1);
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "c", "form"}));
    probes[1]->SetEnabled(true);
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "c", "b", "form"}));
}

TEST_F(HookForm, AComponentMadeAfterLoadingWaitsForInit)
{
    auto* probe = new THookProbe(form.get(), "a", log);
    EXPECT_FALSE(probe->Hooked());
    EXPECT_EQ(Send(WM_TEST), (Log{"form"}));
    probe->Init();
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "form"}));
}

TEST_F(HookForm, AtDesignTimeOnlyDesignEnabledHooksAreInstalled)
{
    form->SetDesigning(true);
    std::vector<THookProbe*> probes;
    {
        TComponentLoader loading(form.get());
        probes.push_back(new THookProbe(form.get(), "a", log));
        probes.push_back(new THookProbe(form.get(), "b", log));
        probes[1]->SetDesignEnabled(true);
        loading.Finish();
    }
    EXPECT_FALSE(probes[0]->Hooked());
    EXPECT_TRUE(probes[1]->Hooked());
    EXPECT_EQ(Send(WM_TEST), (Log{"b", "form"}));

    probes[0]->SetDesignEnabled(true);
    EXPECT_EQ(Send(WM_TEST), (Log{"b", "a", "form"}));
    probes[1]->SetDesignEnabled(false);
    EXPECT_FALSE(probes[1]->Hooked());
    EXPECT_EQ(Send(WM_TEST), (Log{"a", "form"}));
    form->SetDesigning(false);
}

TEST_F(HookForm, AValidOwnerHasItsWindowAndIsNotLoading)
{
    auto* probe = new THookProbe(form.get(), "a", log);
    EXPECT_FALSE(probe->ValidOwner());
    EXPECT_TRUE(probe->GetOwnerHandle());
    EXPECT_EQ(probe->GetOwnerHandle(), form->Handle());
    EXPECT_EQ(probe->GetOwnerForm(), form.get());
    EXPECT_TRUE(probe->ValidOwner());
    TPlainHook loose(nullptr);
    EXPECT_FALSE(loose.GetOwnerHandle());
    EXPECT_FALSE(loose.NewWndProc());
    EXPECT_FALSE(loose.ValidOwner());
}

}  // namespace
