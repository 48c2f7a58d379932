#pragma once
// The library's edit as programs place it: the single-line edit with its properties published.

#include "zcl/edits/Zclcustomedit.h"

class TZCLEdit : public TZCLCustomEdit {
public:
    explicit TZCLEdit(TComponent* AOwner) : TZCLCustomEdit(AOwner) {}
};
