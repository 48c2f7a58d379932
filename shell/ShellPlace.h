#pragma once
// Placing a control while a dialog builds its components in code.

#include "framework/runtime/Classes.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"

template <typename T>
T* ShellPlace(TComponentLoader& loading, const char* name, TWinControl* parent, int x, int y, int w, int h,
              const char* caption = nullptr)
{
    T* c = loading.Create<T>();
    if (name && *name) c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if constexpr (requires { c->SetCaption(AnsiString()); })
        if (caption) c->SetCaption(caption);
    return c;
}

// A dialog owned by the application and kept in its global while the caller holds it. Unlike CreateForm it
// never becomes the main form, whose closing would end the program.
template <typename T>
class ShellDialog {
public:
    explicit ShellDialog(T*& global) : global_(global), form_(new T(Application))
    {
        form_->AfterConstruction();
        global_ = form_;
    }
    ~ShellDialog()
    {
        if (global_ == form_) global_ = nullptr;
        delete form_;
    }
    ShellDialog(const ShellDialog&) = delete;
    ShellDialog& operator=(const ShellDialog&) = delete;
    T* operator->() const { return form_; }
    T* get() const { return form_; }

private:
    T*& global_;
    T* form_;
};
