#pragma once
// A string grid that can fit its last column to the room left by the others, so that the columns fill the
// control's width exactly.

#include <windows.h>

#include <cstddef>

#include "framework/runtime/Sets.h"
#include "framework/visual/Grids.h"

namespace Karvon {

enum TGridPresentation : unsigned char { gpAdaptWidth };
using TGridPresentations = TSet<TGridPresentation, 1>;

class KvStringGrid : public TStringGrid {
public:
    explicit KvStringGrid(TComponent* owner);
    // Hosted in a foreign window; the caller frees it.
    explicit KvStringGrid(HWND parentWindow);
    explicit KvStringGrid(std::nullptr_t) : KvStringGrid(static_cast<TComponent*>(nullptr)) {}

    TGridPresentations Presentations() const { return presentations_; }
    void SetPresentations(TGridPresentations value);

    // With gpAdaptWidth: the last column takes what the grid lines and the other columns leave of width, or the
    // default column width when nothing is left.
    void AdaptLastCol(int width);

    void Dispatch(TMessage& message) override;

protected:
    void Resize() override;

private:
    void Init();
    void WMSize(TMessage& message);
    // Adapts to the client width until showing or hiding a scroll bar no longer changes it.
    void FitLastCol();

    TGridPresentations presentations_;
    bool adapting_ = false;
    bool resizeHeld_ = false;  // OnResize waits for the adaptation under way
};

namespace KvStrGrd {
// Puts the grid on the "Karvon" page of a design environment.
void Register();
}  // namespace KvStrGrd

}  // namespace Karvon
