// The password of the port's settings: what start-up makes of the stored values, the rule of the Password
// page worked with real keys and clicks, what "Close Window" stores, and the login and logout through the
// notification-area icon's menu opened with a real right click, with the login dialog typed into.

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "ShellTestSupport.h"
#include "support/TrayArea.h"
#include "zcl/ComponentsTestKit.h"
#include "zcl/ZclDialogTestHelpers.h"

namespace {

using namespace shelltest;

const char* const Mismatch = "Insert the same passwort twice first!";

POINT TabPoint(TPageControl* pages, int index)
{
    RECT r{};
    SendMessageA(pages->Handle(), TCM_GETITEMRECT, WPARAM(index), LPARAM(&r));
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(pages->Handle(), &p);
    return p;
}

POINT At(const TControl* c, int x, int y)
{
    const TPoint p = c->ClientToScreen(TPoint(x, y));
    return POINT{p.x, p.y};
}

std::string TextOf(const TControl* c) { return c->Text().c_str(); }

class MainWindowPassword : public testing::Test {
protected:
    void SetUp() override { ports_.Add("\\Device\\Serial0", "COM1"); }
    void TearDown() override
    {
        window_.reset();
        controltest::MouseTo(1000, 750);
    }
    // The stored state, then the window as the program makes it.
    TMainWindow& Start(const char* enable, const char* password)
    {
        if (enable) WriteRaw(PortKey("COM1", "PasswordProtection"), "EnablePassword", enable);
        if (password) WriteRaw(PortKey("COM1", "PasswordProtection"), "Password", password);
        window_ = MakeMainWindow();
        return *window_;
    }
    // The window open on its Password page, in front.
    void ShowPasswordPage()
    {
        TMainWindow& w = *window_;
        w.ActionConfiguration->Execute();
        controltest::Activate(&w);
        MouseClick(TabPoint(w.MainPageControl, 3), false);
        ASSERT_TRUE(PumpUntil([&] { return w.MainPageControl->ActivePageIndex() == 3; }, 10000));
    }
    // Clicks into the edit and types text in place of what it holds.
    void TypeInto(TZCLEdit* edit, const std::string& text)
    {
        MouseClick(At(edit, edit->Width() / 2, edit->Height() / 2), false);
        ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }, 10000));
        controltest::Key(VK_END);
        controltest::Key(VK_HOME, {VK_SHIFT});
        if (text.empty())
            controltest::Key(VK_DELETE);
        else
            dlgtest::SendText(text);
        ASSERT_TRUE(PumpUntil([&] { return TextOf(edit) == text; }, 10000)) << TextOf(edit) << " for " << text;
    }
    void ClickBox()
    {
        TCheckBox* box = window_->CheckBoxEnablePassword;
        const bool was = box->Checked();
        const std::size_t boxes = boxes_.Boxes().size();
        MouseClick(At(box, 7, box->Height() / 2), false);
        // The click lands when the box turns, or when the rule turned it back with its message.
        ASSERT_TRUE(PumpUntil([&] { return box->Checked() != was || boxes_.Boxes().size() > boxes; }, 10000));
    }

    SerialCommList ports_;
    CleanSettings clean_;
    MessageBoxes boxes_;
    std::unique_ptr<TMainWindow> window_;
};

TEST_F(MainWindowPassword, StartUpFromTheStoredValues)
{
    const struct {
        const char* enable;    // stored, or null for none
        const char* password;  // stored, or null for none
        bool checked, access, loginOffered, message;
        const char* edits;
    } rows[] = {
        {nullptr, nullptr, false, true, false, false, ""},
        {"0", "Secret", false, true, false, false, ""},    // a password not in use is not shown
        {"1", "Secret", true, false, true, false, "Secret"},
        {"1", "", false, true, false, true, ""},           // nothing to log in with: no protection, and it says so
        {"1", nullptr, false, true, false, true, ""},
        {"1", " ", true, false, true, false, " "},         // a blank is a password like any other
    };
    for (const auto& r : rows) {
        const std::string what = std::string(r.enable ? r.enable : "-") + "/" + (r.password ? r.password : "-");
        DeleteTree(BaseKey());
        boxes_.Clear();
        TMainWindow& w = Start(r.enable, r.password);
        EXPECT_EQ(w.CheckBoxEnablePassword->Checked(), r.checked) << what;
        EXPECT_EQ(w.AccessGranted(), r.access) << what;
        EXPECT_EQ(w.ActionPassword->Enabled(), r.loginOffered) << what;
        EXPECT_STREQ(w.ActionPassword->Caption().c_str(), "&Login...") << what;
        EXPECT_EQ(TextOf(w.EditPassword1), r.edits) << what;
        EXPECT_EQ(TextOf(w.EditPassword2), r.edits) << what;
        const auto shown = boxes_.Boxes();
        ASSERT_EQ(shown.size(), r.message ? 1u : 0u) << what;
        if (r.message) {
            EXPECT_EQ(shown[0].text, Mismatch);
            EXPECT_EQ(shown[0].caption, MainWindowTitle);
            EXPECT_EQ(shown[0].flags & MB_ICONMASK, UINT(MB_ICONINFORMATION));
        }
        // Start-up writes nothing back.
        EXPECT_EQ(ReadRaw(PortKey("COM1", "PasswordProtection"), "Password"), r.password ? r.password : "<missing>");
        window_.reset();
    }
}

TEST_F(MainWindowPassword, TheBoxStaysCheckedOnlyWhenBothInputsAgree)
{
    Start(nullptr, nullptr);
    ASSERT_NO_FATAL_FAILURE(ShowPasswordPage());
    TMainWindow& w = *window_;
    const struct {
        const char* first;
        const char* second;
        bool stays;
    } rows[] = {
        {"Secret", "Secret", true},
        {"Secret", "secret", false},  // letter case counts
        {"Secret", "Secret1", false},
        {"", "", false},
        {"abc", "", false},
        {"", "abc", false},
        {"x", "x", true},
    };
    for (const auto& r : rows) {
        const std::string what = std::string(r.first) + "/" + r.second;
        TypeInto(w.EditPassword1, r.first);
        TypeInto(w.EditPassword2, r.second);
        ASSERT_FALSE(w.CheckBoxEnablePassword->Checked()) << what << ": typing left the box unchecked";
        boxes_.Clear();
        ClickBox();
        EXPECT_EQ(w.CheckBoxEnablePassword->Checked(), r.stays) << what;
        EXPECT_EQ(boxes_.Texts(), r.stays ? std::vector<std::string>{} : std::vector<std::string>{Mismatch}) << what;
        EXPECT_EQ(SendMessageA(w.CheckBoxEnablePassword->Handle(), BM_GETCHECK, 0, 0),
                  r.stays ? BST_CHECKED : BST_UNCHECKED)
            << what << ": the box shows it";
        if (r.stays) {
            // Typing in either input after checking takes the check away again.
            for (TZCLEdit* edit : {w.EditPassword2, w.EditPassword1}) {
                MouseClick(At(edit, edit->Width() / 2, edit->Height() / 2), false);
                ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }, 10000));
                controltest::Key(VK_END);
                controltest::Key('Z');
                EXPECT_TRUE(PumpUntil([&] { return !w.CheckBoxEnablePassword->Checked(); }, 10000)) << what;
                controltest::Key(VK_BACK);
                ASSERT_TRUE(PumpUntil([&] { return TextOf(edit) == r.first; }, 10000));
                ClickBox();
                EXPECT_TRUE(w.CheckBoxEnablePassword->Checked()) << what;
            }
        }
    }
    EXPECT_TRUE(w.AccessGranted()) << "the rule alone changes no login";
    EXPECT_EQ(w.ActionPassword->Enabled(), false);
    testshot::Shot::OfWindow(w.Handle()).SaveArtifact("password-page");
}

TEST_F(MainWindowPassword, CloseWindowStoresThePasswordOnlyWhileTheBoxIsChecked)
{
    const struct {
        bool check;
        const char* enable;
        const char* stored;
        const char* caption;
        bool loginOffered;
    } rows[] = {
        {true, "1", "Secret", "&Logout", true},  // saving logs the user in
        {false, "0", "", "&Login...", false},    // whatever the inputs hold
    };
    for (const auto& r : rows) {
        DeleteTree(BaseKey());
        TMainWindow& w = Start("1", "Old");
        EXPECT_FALSE(w.AccessGranted());
        ASSERT_NO_FATAL_FAILURE(ShowPasswordPage());
        TypeInto(w.EditPassword1, "Secret");
        TypeInto(w.EditPassword2, "Secret");
        if (r.check) ClickBox();
        ASSERT_EQ(w.CheckBoxEnablePassword->Checked(), r.check);
        w.ActionHideWindow->Execute();
        EXPECT_FALSE(w.Visible());
        EXPECT_EQ(ReadRaw(PortKey("COM1", "PasswordProtection"), "EnablePassword"), r.enable) << r.check;
        EXPECT_EQ(ReadRaw(PortKey("COM1", "PasswordProtection"), "Password"), r.stored) << r.check;
        EXPECT_STREQ(w.ActionPassword->Caption().c_str(), r.caption);
        EXPECT_EQ(w.ActionPassword->Enabled(), r.loginOffered);
        EXPECT_TRUE(w.AccessGranted());
        EXPECT_TRUE(boxes_.Texts().empty());
        window_.reset();
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Login through the icon's menu

struct MenuItemState {
    std::string text;
    bool enabled;
    bool operator==(const MenuItemState& o) const { return text == o.text && enabled == o.enabled; }
};

std::ostream& operator<<(std::ostream& os, const MenuItemState& s)
{
    return os << (s.enabled ? "+" : "-") << s.text;
}

class PasswordLogin : public MainWindowPassword {
protected:
    void SetUp() override
    {
        MainWindowPassword::SetUp();
        ASSERT_NE(TaskbarWindow(), nullptr) << "the tests need Wine's virtual desktop with its taskbar";
        // The test program carries the program's icon, so the window's icon is the one a user sees.
        char exe[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, exe, sizeof exe);
        icon_ = LoadProgramIcon(exe);
        ASSERT_NE(icon_, nullptr);
    }
    void TearDown() override
    {
        if (icon_) DestroyIcon(icon_);
        MainWindowPassword::TearDown();
    }

    // Opens the icon's menu with a real right click, notes its items, then presses key (Escape: none chosen).
    std::vector<MenuItemState> Menu(WORD key)
    {
        POINT icon{};
        EXPECT_TRUE(PumpUntil([&] { return FindTrayIcon(icon_, icon); }, 20000)) << "the icon is shown";
        std::vector<MenuItemState> items;
        zcltest::MenuWatcher watcher({}, [&](HWND menu) {
            const HMENU m = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
            for (int i = 0; i < GetMenuItemCount(m); ++i) {
                char text[128] = "";
                GetMenuStringA(m, UINT(i), text, sizeof text, MF_BYPOSITION);
                if (!*text) continue;  // a separator
                items.push_back({text, (GetMenuState(m, UINT(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0});
            }
            // The key goes to the menu as a user's would.
            controltest::SendKey(key);
        });
        MouseClick(icon, true);
        EXPECT_TRUE(PumpUntil([&] { return watcher.opened && !zcltest::FindOpenMenu(); }, 20000)) << "the menu";
        watcher.Finish();
        return items;
    }
    static std::vector<MenuItemState> Offered(const std::vector<MenuItemState>& items)
    {
        std::vector<MenuItemState> on;
        for (const MenuItemState& i : items)
            if (i.enabled) on.push_back(i);
        return on;
    }
    // Chooses "&Login..." in the menu; the login dialog is answered with typed text and Enter (or Escape).
    void LogIn(const std::string& typed, bool confirm, bool shoot = false)
    {
        dlgtest::ModalScript script;
        TWinControl* edit = nullptr;
        script.Then([&] {
                  TCustomForm* form = script.Form();
                  edit = dlgtest::FindOwned<TWinControl>(form, [](TWinControl* c) { return !dynamic_cast<TButton*>(c); });
                  return edit && dlgtest::ReadyForKeys(form, edit);
              }, [&] { dlgtest::SendText(typed); }, "the login dialog takes keys")
            // Read from the control: inside the menu's message the edit takes every WM_GETTEXT for a caller's
            // from outside and answers with the mask.
            .Then([&] { return TextOf(edit) == typed; },
                  [&] {
                      EXPECT_STREQ(script.Form()->Caption().c_str(), "Login");
                      EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
                      if (shoot) testshot::Shot::OfWindow(script.Form()->Handle()).SaveArtifact("login-dialog");
                      controltest::SendKey(confirm ? VK_RETURN : VK_ESCAPE);
                  },
                  "the password is typed");
        window_->InputDlg->SetOnCustomize(script.Starter());
        const std::vector<MenuItemState> items = Menu('L');
        EXPECT_TRUE(PumpUntil([&] { return script.Done() || !script.Failure().empty(); }, 30000)) << script.Report();
        EXPECT_TRUE(script.Done()) << script.Report();
        EXPECT_TRUE(PumpUntil([] {
            HWND dialog = FindWindowA(nullptr, "Login");
            return !dialog || !IsWindowVisible(dialog);
        }, 20000)) << "the dialog closes";
        window_->InputDlg->SetOnCustomize(TNotifyEvent());
    }

    HICON icon_ = nullptr;
};

TEST_F(PasswordLogin, TheMenuIsLockedUntilTheRightPasswordIsGiven)
{
    TMainWindow& w = Start("1", "Secret");
    const std::vector<MenuItemState> locked{{"&Login...", true}};
    EXPECT_EQ(Offered(Menu(VK_ESCAPE)), locked) << "only the login while logged out";

    // Wrong ones, a cancelled dialog: nothing changes, nothing is said.
    for (const auto& [typed, confirm] : std::vector<std::pair<std::string, bool>>{
             {"secret", true}, {"SECRET", true}, {"Secre", true}, {"Secret ", true}, {"", true}, {"Secret", false}}) {
        LogIn(typed, confirm);
        EXPECT_FALSE(w.AccessGranted()) << typed << (confirm ? " confirmed" : " cancelled");
        EXPECT_STREQ(w.ActionPassword->Caption().c_str(), "&Login...") << typed;
        EXPECT_TRUE(boxes_.Texts().empty()) << typed;
        EXPECT_EQ(Offered(Menu(VK_ESCAPE)), locked) << typed;
    }

    LogIn("Secret", true, true);
    EXPECT_TRUE(w.AccessGranted());
    EXPECT_TRUE(boxes_.Texts().empty());
    const std::vector<MenuItemState> all{
        {"&Logout", true},          {"&Configuration...", true}, {"St&art Transfer", true},
        {"St&op Transfer", false}, {"&Ping...", true},          {"&Exit Application", true}};
    EXPECT_EQ(Menu(VK_ESCAPE), all) << "the commands while logged in";

    // The configuration opens from the menu now.
    Menu('C');
    EXPECT_TRUE(PumpUntil([&] { return w.Visible(); }, 10000));
    w.SetVisible(false);

    // Logging out locks the menu again.
    Menu('L');
    EXPECT_TRUE(PumpUntil([&] { return !w.AccessGranted(); }, 10000));
    EXPECT_STREQ(w.ActionPassword->Caption().c_str(), "&Login...");
    EXPECT_EQ(Offered(Menu(VK_ESCAPE)), locked);
    Menu('C');
    // Once the menu has opened and closed again, a command the first one gave would have run.
    EXPECT_EQ(Offered(Menu(VK_ESCAPE)), locked);
    EXPECT_FALSE(w.Visible()) << "a locked command does nothing";
}

TEST_F(PasswordLogin, WithoutAPasswordEveryCommandIsOfferedAndLoginIsNot)
{
    TMainWindow& w = Start("1", "");
    boxes_.Clear();
    const std::vector<MenuItemState> all{
        {"&Login...", false},       {"&Configuration...", true}, {"St&art Transfer", true},
        {"St&op Transfer", false}, {"&Ping...", true},          {"&Exit Application", true}};
    EXPECT_EQ(Menu(VK_ESCAPE), all);
    EXPECT_TRUE(w.AccessGranted());
}

}  // namespace
