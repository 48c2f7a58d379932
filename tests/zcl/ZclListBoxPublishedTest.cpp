// The multi-column list box's published settings and events go through a form stream onto a box of another form
// of the same kind, and the events read back are run there by real input: the mouse and keys on the rows, focus
// moved in and out by the Tab key in the stored tab order, a right click that opens the stored popup menu, a
// change of size, and the header's sections dragged and drawn by the form's own handlers.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ComponentsTestKit.h"
#include "ListTestHelpers.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/Streams.h"
#include "framework/visual/Menus.h"
#include "zcl/components/Zcllistbox.h"

using listtest::ClickAt;
using listtest::ScreenPixel;

namespace {

constexpr COLORREF Marked = RGB(220, 30, 160);

// A form whose published methods the box's events are stored by.
class TRowsForm : public TForm {
public:
    explicit TRowsForm(TComponent* owner) : TForm(owner) {}

    std::vector<std::string> log;  // what the handlers saw, in order
    int moves = 0, resizes = 0, drawnSections = 0;
    std::vector<TSectionTrackState> tracks;
    std::vector<TComponent*> popups;

    void RowsMouseDown(TObject*, TMouseButton button, TShiftState, int, int)
    {
        log.push_back(button == mbLeft ? "left down" : button == mbRight ? "right down" : "other down");
    }
    void RowsMouseMove(TObject*, TShiftState, int, int) { ++moves; }
    void RowsMouseUp(TObject*, TMouseButton button, TShiftState, int, int)
    {
        log.push_back(button == mbLeft ? "left up" : button == mbRight ? "right up" : "other up");
    }
    // The Tab key that moves the focus is left out: its release reaches whichever control has the focus then.
    void RowsKeyDown(TObject*, WORD& key, TShiftState)
    {
        if (key != VK_TAB) log.push_back("key down " + std::to_string(key));
    }
    void RowsKeyPress(TObject*, char& key) { log.push_back(std::string("press ") + key); }
    void RowsKeyUp(TObject*, WORD& key, TShiftState)
    {
        if (key != VK_TAB) log.push_back("key up " + std::to_string(key));
    }
    void RowsEnter(TObject*) { log.push_back("enter"); }
    void RowsExit(TObject*) { log.push_back("exit"); }
    void RowsResize(TObject*) { ++resizes; }
    void RowsTrack(THeaderControl*, THeaderSection* section, int, TSectionTrackState state)
    {
        if (section->Index() == 0) tracks.push_back(state);
    }
    void RowsDrawSection(THeaderControl* header, THeaderSection*, const TRect& rect, bool)
    {
        ++drawnSections;
        header->Canvas()->Brush()->SetStyle(bsSolid);
        header->Canvas()->Brush()->SetColor(TColor(Marked));
        header->Canvas()->FillRect(rect);
    }
    void MenuPopup(TObject* sender) { popups.push_back(static_cast<TPopupMenu*>(sender)->PopupComponent()); }
};

const bool rowsFormPublished = [] {
    PublishedProperties<TRowsForm>()
        .Method("RowsMouseDown", &TRowsForm::RowsMouseDown)
        .Method("RowsMouseMove", &TRowsForm::RowsMouseMove)
        .Method("RowsMouseUp", &TRowsForm::RowsMouseUp)
        .Method("RowsKeyDown", &TRowsForm::RowsKeyDown)
        .Method("RowsKeyPress", &TRowsForm::RowsKeyPress)
        .Method("RowsKeyUp", &TRowsForm::RowsKeyUp)
        .Method("RowsEnter", &TRowsForm::RowsEnter)
        .Method("RowsExit", &TRowsForm::RowsExit)
        .Method("RowsResize", &TRowsForm::RowsResize)
        .Method("RowsTrack", &TRowsForm::RowsTrack)
        .Method("RowsDrawSection", &TRowsForm::RowsDrawSection);
    return true;
}();

// The controls both forms have, made as a form makes them: two buttons, the popup menu and the box between
// the buttons in creation order, so that the box comes last in the tab order unless told otherwise.
struct Built {
    TButton* first;
    TButton* last;
    TPopupMenu* menu;
    TZCLListBox* box;
};

Built Build(TRowsForm* form, TComponentLoader& loading)
{
    form->SetBorderStyle(bsNone);
    form->SetBounds(40, 40, 320, 260);
    form->SetColor(clWhite);
    Built b{};
    b.first = loading.Create<TButton>();
    b.first->SetName("First");
    b.first->SetParent(form);
    b.first->SetBounds(10, 225, 80, 22);
    b.last = loading.Create<TButton>();
    b.last->SetName("Last");
    b.last->SetParent(form);
    b.last->SetBounds(100, 225, 80, 22);
    b.menu = loading.Create<TPopupMenu>();
    b.menu->SetName("Menu");
    auto* item = new TMenuItem(nullptr);
    item->SetCaption("Copy row");
    b.menu->Items()->Add(item);
    b.box = loading.Create<TZCLListBox>();
    b.box->SetName("Rows");
    b.box->SetParent(form);
    b.box->SetBounds(10, 10, 280, 200);
    return b;
}

}  // namespace

TEST(ZclListBoxPublished, ItsEventsMenuAndTabOrderComeBackFromAFormStreamAndRunOnRealInput)
{
    TMemoryStream stream;
    {
        TRowsForm source(nullptr);
        TComponentLoader loading(&source);
        Built b = Build(&source, loading);
        loading.Finish();
        TZCLListBox* box = b.box;
        box->SetPopupMenu(b.menu);
        box->SetTabOrder(1);
        box->SetOnMouseDown(TMouseEvent(&source, &TRowsForm::RowsMouseDown));
        box->SetOnMouseMove(TMouseMoveEvent(&source, &TRowsForm::RowsMouseMove));
        box->SetOnMouseUp(TMouseEvent(&source, &TRowsForm::RowsMouseUp));
        box->SetOnKeyDown(TKeyEvent(&source, &TRowsForm::RowsKeyDown));
        box->SetOnKeyPress(TKeyPressEvent(&source, &TRowsForm::RowsKeyPress));
        box->SetOnKeyUp(TKeyEvent(&source, &TRowsForm::RowsKeyUp));
        box->SetOnEnter(TNotifyEvent(&source, &TRowsForm::RowsEnter));
        box->SetOnExit(TNotifyEvent(&source, &TRowsForm::RowsExit));
        box->SetOnResize(TNotifyEvent(&source, &TRowsForm::RowsResize));
        box->SetOnHeaderSectionTrack(TSectionTrackEvent(&source, &TRowsForm::RowsTrack));
        box->SetOnHeaderDrawSection(TDrawSectionEvent(&source, &TRowsForm::RowsDrawSection));
        TWriter writer(&stream);
        writer.SetRoot(&source);
        writer.WriteComponent(box);
    }
    stream.SetPosition(0);

    auto form = std::make_unique<TRowsForm>(nullptr);
    TComponentLoader loading(form.get());
    Built b = Build(form.get(), loading);
    ASSERT_EQ(b.box->TabOrder(), 2);
    {
        TReader reader(&stream);
        reader.SetRoot(form.get());
        reader.SetOwner(form.get());
        reader.ReadComponent(b.box);
    }
    loading.Finish();
    TZCLListBox* box = b.box;
    EXPECT_EQ(box->PopupMenu(), b.menu);
    EXPECT_EQ(box->TabOrder(), 1);
    b.menu->SetOnPopup(TNotifyEvent(form.get(), &TRowsForm::MenuPopup));
    // The header's sections, the second drawn by the form.
    box->HeaderSections()->Clear();
    for (int i = 0; i < 2; ++i) {
        THeaderSection* s = box->HeaderSections()->Add();
        s->SetWidth(100);
        s->SetText(i == 0 ? "Name" : "Value");
        if (i == 1) s->SetStyle(hsOwnerDraw);
    }
    for (const char* row : {"alpha;1", "beta;2", "gamma;3", "delta;4"}) box->Items()->Add(row);
    form->Show();
    controltest::Activate(form.get());
    std::vector<std::string>& log = form->log;

    // The header draws its owner-drawn section through the form's handler.
    THeaderControl* header = box->Header();
    const TPoint valueCell = header->ClientToScreen(TPoint(150, header->Height() / 2));
    EXPECT_TRUE(controltest::PumpUntil([&] { return ScreenPixel(valueCell) == Marked; }, 5000));
    EXPECT_GT(form->drawnSections, 0);
    EXPECT_NE(ScreenPixel(header->ClientToScreen(TPoint(50, header->Height() / 2))), Marked);

    // Tab from the first button reaches the rows next, as the stored tab order puts them between the buttons.
    b.first->SetFocus();
    ASSERT_TRUE(controltest::PumpUntil([&] { return b.first->Focused(); }));
    log.clear();
    controltest::Key(VK_TAB);
    ASSERT_TRUE(controltest::PumpUntil([&] { return box->ListBox()->Focused(); }, 5000));
    EXPECT_EQ(log, std::vector<std::string>{"enter"});

    // Mouse on a row.
    log.clear();
    const int moves = form->moves;
    const TRect second = box->ListBox()->ItemRect(1);
    ClickAt(box->ListBox(), 40, (second.top + second.bottom) / 2);
    ASSERT_TRUE(controltest::PumpUntil([&] { return log.size() >= 2; }, 5000));
    EXPECT_EQ(log, (std::vector<std::string>{"left down", "left up"}));
    EXPECT_GT(form->moves, moves);

    // Keys on the rows.
    log.clear();
    controltest::Key('A');
    ASSERT_TRUE(controltest::PumpUntil([&] { return log.size() >= 3; }, 5000));
    EXPECT_EQ(log, (std::vector<std::string>{"key down 65", "press a", "key up 65"}));

    // A right click on the rows opens the box's menu for the box.
    log.clear();
    {
        zcltest::MenuWatcher watcher({VK_ESCAPE});
        const TPoint p = box->ListBox()->ClientToScreen(TPoint(40, (second.top + second.bottom) / 2));
        zcltest::MouseInput(p.x, p.y, MOUSEEVENTF_RIGHTDOWN);
        ASSERT_TRUE(controltest::PumpUntil([&] { return !form->popups.empty() && watcher.opened; }, 20000));
        watcher.Finish();
        EXPECT_EQ(watcher.items, std::vector<std::string>{"Copy row"});
    }
    EXPECT_EQ(form->popups, std::vector<TComponent*>{box});
    EXPECT_TRUE(controltest::PumpUntil([] { return !zcltest::FindOpenMenu(); }, 5000));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "right down");

    // The header's divider dragged: the form follows the track from its beginning to its end.
    const TPoint divider = header->ClientToScreen(TPoint(100, header->Height() / 2));
    controltest::MouseTo(divider.x - 1, divider.y);
    controltest::MouseButton(true);
    controltest::MouseTo(divider.x + 10, divider.y);
    controltest::MouseTo(divider.x + 20, divider.y);
    controltest::MouseButton(false);
    ASSERT_TRUE(
        controltest::PumpUntil([&] { return !form->tracks.empty() && form->tracks.back() == tsTrackEnd; }, 5000));
    EXPECT_EQ(form->tracks.front(), tsTrackBegin);

    // A change of size.
    const int resizes = form->resizes;
    box->SetBounds(box->Left(), box->Top(), 260, 190);
    EXPECT_TRUE(controltest::PumpUntil([&] { return form->resizes > resizes; }));

    // Tab leaves the rows for the last button.
    log.clear();
    box->SetFocus();
    ASSERT_TRUE(controltest::PumpUntil([&] { return box->ListBox()->Focused(); }));
    log.clear();
    controltest::Key(VK_TAB);
    ASSERT_TRUE(controltest::PumpUntil([&] { return b.last->Focused(); }, 5000));
    EXPECT_EQ(log, std::vector<std::string>{"exit"});

    form->Hide();
    form.reset();
    controltest::Pump(20);
}
