#include "zcl/core/Zclbase.h"

#include "framework/runtime/Classes.h"
#include "framework/runtime/Exceptions.h"

void ZCLRaiseDockError(const TComponent* Component, const TComponent* AttachedTo)
{
    const AnsiString name = Component ? Component->Name() : AnsiString();
    const AnsiString other = AttachedTo ? AttachedTo->Name() : AnsiString();
    throw Exception("Component " + name +
                    ":\rA TZCLDockLabel- or Button component was already attached to the component: " + other +
                    "\r");
}
