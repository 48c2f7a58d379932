#include "kvcontrols/KvStrGrd.h"

#include <utility>

#include "framework/runtime/Filer.h"

namespace Karvon {

namespace {
const bool published = [] {
    PublishedProperties<KvStringGrid>().Set("Presentations", &KvStringGrid::Presentations,
                                            &KvStringGrid::SetPresentations, {"gpAdaptWidth"}, TGridPresentations{});
    return true;
}();
}  // namespace

KvStringGrid::KvStringGrid(TComponent* owner) : TStringGrid(owner) { Init(); }

KvStringGrid::KvStringGrid(HWND parentWindow) : TStringGrid(nullptr)
{
    Init();
    SetParentWindow(parentWindow);
}

void KvStringGrid::Init() { presentations_.Clear(); }

void KvStringGrid::SetPresentations(TGridPresentations value)
{
    if (value == presentations_) return;
    presentations_ = value;
    // The client width, not the outer one: a border or a vertical bar would otherwise make the columns too wide.
    FitLastCol();
}

void KvStringGrid::AdaptLastCol(int width)
{
    if (!presentations_.Contains(gpAdaptWidth) || ColCount() < 1) return;
    const int last = ColCount() - 1;
    int used = GridLineWidth() * ColCount();
    for (int c = 0; c < last; ++c) used += ColWidths(c);
    const int rest = width - used;
    SetColWidths(last, rest >= 1 ? rest : DefaultColWidth());
}

void KvStringGrid::FitLastCol()
{
    // A bar shown or hidden by the new width sends WM_SIZE from inside; the loop here takes its width.
    if (adapting_) return;
    {
        adapting_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{adapting_};
        for (int round = 0; round < 4; ++round) {
            const int width = ClientWidth();
            AdaptLastCol(width);
            if (ClientWidth() == width) break;
        }
    }
    // A resize held while adapting is told now, with the columns in their final widths.
    if (std::exchange(resizeHeld_, false)) TStringGrid::Resize();
}

void KvStringGrid::WMSize(TMessage& message)
{
    // The grid's own handling: bounds, then Resize (which adapts before OnResize), scroll ranges and the cells on
    // view. A bar shown or hidden on the way changes the client width once more: adapt to the final one.
    TStringGrid::Dispatch(message);
    FitLastCol();
}

void KvStringGrid::Resize()
{
    // The bounds are new here, with or without a window: adapt first, then tell. Inside an adaptation (a bar shown
    // or hidden by a new width) the telling waits for its end.
    resizeHeld_ = true;
    FitLastCol();
}

void KvStringGrid::Dispatch(TMessage& message)
{
    if (message.Msg == WM_SIZE) {
        WMSize(message);
        return;
    }
    TStringGrid::Dispatch(message);
}

namespace KvStrGrd {
void Register() { RegisterComponents("Karvon", {ClassOf<KvStringGrid>()}); }
}  // namespace KvStrGrd

}  // namespace Karvon
