#include "zcl/core/Zclobject.h"

void TZCLObject::GetChange(TObject*) { Change(); }

void TZCLObject::Change()
{
    if (!updating_ && onChange_) onChange_(this);
}

AnsiString TZCLObject::GetSetStr() const { return AnsiString(); }

void TZCLObject::EndUpdate(bool DoChange)
{
    updating_ = false;
    if (DoChange) Change();
}
