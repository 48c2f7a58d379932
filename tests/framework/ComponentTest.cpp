#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/runtime/Classes.h"

namespace {

using Log = std::vector<std::string>;

// A component that writes what happens to it into a shared log.
class TLogged : public TComponent {
public:
    explicit TLogged(TComponent* owner, const char* name = "", Log* log = nullptr) : TComponent(owner), log_(log)
    {
        if (*name) SetName(name);
    }
    ~TLogged() override
    {
        if (log_) log_->push_back("~" + std::string(Name().c_str()));
    }
    void Notification(TComponent* component, TOperation operation) override
    {
        if (log_ && component != this)
            log_->push_back(std::string(Name().c_str()) + (operation == opInsert ? " +" : " -") +
                            component->Name().c_str());
        TComponent::Notification(component, operation);
    }
    void Loaded() override
    {
        if (log_) {
            std::string entry = std::string(Name().c_str()) + " loaded";
            if (ComponentState().Contains(csLoading)) entry += " L";
            if (ComponentState().Contains(csReading)) entry += " R";
            log_->push_back(entry);
        }
        TComponent::Loaded();
    }
    void ReadState(TReader* reader) override
    {
        if (log_) log_->push_back(std::string(Name().c_str()) + " readstate");
        TComponent::ReadState(reader);
    }
    Log* log_;
};

}  // namespace

namespace Karvon {
class TKvThing : public TComponent {
public:
    using TComponent::TComponent;
};
}  // namespace Karvon

// Class identity ------------------------------------------------------------------------------------------------

namespace {
struct Mixin {
    virtual ~Mixin() = default;
    int m = 0;
};
class TMixed : public Mixin, public TComponent {
public:
    explicit TMixed(TComponent* owner) : TComponent(owner) {}
};
class TAbstractPart : public TComponent {
public:
    using TComponent::TComponent;
    virtual void Run() = 0;
};
}  // namespace

TEST(ClassIdentity, NamesAreTheClassesOwnWithoutNamespaces)
{
    TStringList list;
    EXPECT_EQ(list.ClassName(), "TStringList");
    Karvon::TKvThing thing(nullptr);
    EXPECT_EQ(thing.ClassName(), "TKvThing");
    EXPECT_EQ(ClassOf<Karvon::TKvThing>()->ClassName(), "TKvThing");
    TComponent* asBase = &thing;
    EXPECT_EQ(asBase->ClassName(), "TKvThing");
    EXPECT_EQ(asBase->ClassType(), ClassOf<Karvon::TKvThing>());
}

TEST(ClassIdentity, ParentsComeFromTheClassHierarchy)
{
    std::vector<std::string> chain;
    for (TClass c = ClassOf<TStringList>(); c; c = c->ClassParent()) chain.push_back(c->ClassName().c_str());
    EXPECT_EQ(chain, (std::vector<std::string>{"TStringList", "TStrings", "TPersistent", "TObject"}));

    // The framework base is found behind a non-framework first base.
    EXPECT_EQ(ClassOf<TMixed>()->ClassParent(), ClassOf<TComponent>());
    EXPECT_TRUE(ClassOf<TMixed>()->InheritsFrom(ClassOf<TPersistent>()));
    EXPECT_FALSE(ClassOf<TComponent>()->InheritsFrom(ClassOf<TMixed>()));
    EXPECT_FALSE(ClassOf<TComponent>()->InheritsFrom(nullptr));
}

TEST(ClassIdentity, InstancesTestTheirClass)
{
    TStringList list;
    TObject* o = &list;
    EXPECT_TRUE(o->InheritsFrom(ClassOf<TStrings>()));
    EXPECT_TRUE(o->InheritsFrom<TStrings>());
    EXPECT_FALSE(o->InheritsFrom(ClassOf<TComponent>()));
    EXPECT_FALSE(o->InheritsFrom<TComponent>());
    TStringList other;
    EXPECT_EQ(o->ClassType(), other.ClassType());
    TBits bits;
    EXPECT_NE(o->ClassType(), bits.ClassType());
}

TEST(ClassIdentity, ClassReferencesCreateOwnedComponents)
{
    TComponent owner(nullptr);
    TComponentClass cls = ClassOf<TMixed>();
    ASSERT_TRUE(cls->CanCreate());
    TComponent* made = cls->Create(&owner);
    EXPECT_EQ(made->ClassType(), cls);
    EXPECT_EQ(made->Owner(), &owner);
    EXPECT_EQ(owner.ComponentCount(), 1);

    TComponentClass abstract = ClassOf<TAbstractPart>();
    EXPECT_FALSE(abstract->CanCreate());
    try {
        abstract->Create(&owner);
        FAIL() << "created an abstract class";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "Cannot create an instance of TAbstractPart");
    }
    // Not a component: the class reference has no component constructor.
    EXPECT_FALSE(ClassOf<TStringList>()->CanCreate());
}

TEST(ClassIdentity, RegistryFindsClassesByName)
{
    RegisterClass(ClassOf<TMixed>());
    RegisterClass(ClassOf<TMixed>());  // again: no effect
    EXPECT_EQ(GetClass("tmixed"), ClassOf<TMixed>());
    EXPECT_EQ(FindClass("TMixed"), ClassOf<TMixed>());
    EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
    try {
        FindClass("TNoSuchThing");
        FAIL();
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), "Class TNoSuchThing not found");
    }
    UnRegisterClass(ClassOf<TMixed>());
    EXPECT_EQ(GetClass("TMixed"), nullptr);
}

TEST(ClassIdentity, ComponentPagesKeepTheirClassesInOrderAndRegisterThem)
{
    RegisterComponents("Test Page", {ClassOf<TMixed>(), ClassOf<TComponent>()});
    RegisterComponents("test page", {ClassOf<TMixed>()});  // the same page, the same class: kept once
    const std::vector<TComponentClass> expected{ClassOf<TMixed>(), ClassOf<TComponent>()};
    EXPECT_EQ(RegisteredComponents("TEST PAGE"), expected);
    EXPECT_TRUE(RegisteredComponents("Other").empty());
    EXPECT_EQ(GetClass("TMixed"), ClassOf<TMixed>()) << "readable from stored data";
    UnRegisterClass(ClassOf<TMixed>());
    UnRegisterClass(ClassOf<TComponent>());
}

// Assignment ----------------------------------------------------------------------------------------------------

namespace {
// Knows how to put itself into a string list, but takes nothing.
class TPair : public TPersistent {
public:
    AnsiString a = "x", b = "y";

protected:
    void AssignTo(TPersistent* dest) override
    {
        if (auto* strings = dynamic_cast<TStrings*>(dest)) {
            strings->Clear();
            strings->Add(a);
            strings->Add(b);
            return;
        }
        TPersistent::AssignTo(dest);
    }
};
}  // namespace

TEST(Persistent, AssignFallsBackToTheSourcesAssignTo)
{
    TPair pair;
    TStringList list;
    list.Add("old");
    list.Assign(&pair);
    EXPECT_EQ(list.CommaText(), "x,y");

    TStringList other;
    try {
        pair.Assign(&other);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TStringList to a TPair");
    }
    try {
        list.Assign(nullptr);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a nil to a TStringList");
    }
}

// Ownership and notification -------------------------------------------------------------------------------------

namespace {
class TLoggedForm : public TLogged {
public:
    using TLogged::TLogged;
    ~TLoggedForm() override { log_->push_back("form body"); }
};
}  // namespace

// The form's own destructor body runs first; its components go afterwards, last created first, each taken out of
// the form (its remaining siblings told) before it is freed.
TEST(ComponentOwnership, OwnedComponentsAreFreedLastCreatedFirstAfterTheOwnersBody)
{
    Log log;
    auto* form = new TLoggedForm(nullptr, "Form", &log);
    new TLogged(form, "A", &log);
    new TLogged(form, "B", &log);
    new TLogged(form, "C", &log);
    log.clear();
    delete form;
    EXPECT_EQ(log, (Log{"form body", "~Form", "B -C", "A -C", "~C", "A -B", "~B", "~A"}));
}

TEST(ComponentOwnership, InsertAndRemoveAreSeenByTheOwnerAndTheSiblings)
{
    Log log;
    TLogged form(nullptr, "Form", &log);
    auto* a = new TLogged(&form, "A", &log);
    log.clear();
    auto* b = new TLogged(&form);  // named after insertion, so the log shows an empty name
    EXPECT_EQ(log, (Log{"Form +", "A +"}));
    b->SetName("B");
    b->log_ = &log;
    log.clear();
    delete a;
    EXPECT_EQ(log, (Log{"~A", "Form -A", "B -A"}));
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0), b);
    EXPECT_EQ(b->ComponentIndex(), 0);
}

TEST(ComponentOwnership, InsertComponentMovesBetweenOwners)
{
    Log log;
    TLogged first(nullptr, "First", &log);
    TLogged second(nullptr, "Second", &log);
    auto* c = new TLogged(&first, "C", &log);
    log.clear();
    second.InsertComponent(c);
    EXPECT_EQ(log, (Log{"First -C", "Second +C"}));
    EXPECT_EQ(c->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.ComponentCount(), 1);

    second.RemoveComponent(c);
    EXPECT_EQ(c->Owner(), nullptr);
    delete c;  // no owner any more: freed by hand
}

TEST(ComponentOwnership, ComponentsSeeCsDestroyingWhileTheOwnerGoes)
{
    struct TProbe : TComponent {
        explicit TProbe(TComponent* owner, bool* seen) : TComponent(owner), seen_(seen) {}
        ~TProbe() override { *seen_ = ComponentState().Contains(csDestroying); }
        bool* seen_;
    };
    bool seen = false;
    auto* owner = new TComponent(nullptr);
    new TProbe(owner, &seen);
    delete owner;
    EXPECT_TRUE(seen);
}

TEST(ComponentOwnership, DestroyComponentsEmptiesTheOwner)
{
    Log log;
    TLogged form(nullptr, "Form", &log);
    new TLogged(&form, "A", &log);
    new TLogged(&form, "B", &log);
    log.clear();
    form.DestroyComponents();
    EXPECT_EQ(log, (Log{"Form -B", "A -B", "~B", "Form -A", "~A"}));
    EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(ComponentOwnership, ComponentsIndexIsChecked)
{
    TComponent owner(nullptr);
    new TComponent(&owner);
    try {
        owner.Components(1);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (1)");
    }
    EXPECT_THROW(owner.Components(-1), EListError);
}

// Free notification -------------------------------------------------------------------------------------------

namespace {
// Holds a reference to a component of another tree and drops it when told.
class THolder : public TComponent {
public:
    using TComponent::TComponent;
    void Notification(TComponent* component, TOperation operation) override
    {
        TComponent::Notification(component, operation);
        if (operation == opRemove && component == held) {
            ++told;
            heldWasDestroying = component->ComponentState().Contains(csDestroying);
            heldOwnerThen = component->Owner();
            held = nullptr;
        }
    }
    void Hold(TComponent* c)
    {
        held = c;
        if (c) c->FreeNotification(this);
    }
    TComponent* held = nullptr;
    int told = 0;
    bool heldWasDestroying = false;
    TComponent* heldOwnerThen = nullptr;
};
}  // namespace

TEST(FreeNotification, PartnerIsToldWhileTheFreedComponentStillStands)
{
    TComponent formA(nullptr);
    TComponent formB(nullptr);
    auto* target = new TComponent(&formA);
    auto* holder = new THolder(&formB);
    holder->Hold(target);
    delete target;
    EXPECT_EQ(holder->told, 1);
    EXPECT_EQ(holder->held, nullptr);
    EXPECT_TRUE(holder->heldWasDestroying);
    EXPECT_EQ(holder->heldOwnerThen, &formA);
}

TEST(FreeNotification, BothDirectionsAreCleanedUp)
{
    // Each side holds the other; whichever goes first, the survivor is told and keeps no pointer to it, so
    // freeing the survivor afterwards does not reach the freed one.
    for (bool firstGoesFirst : {true, false}) {
        auto* first = new THolder(nullptr);
        auto* second = new THolder(nullptr);
        first->Hold(second);
        second->Hold(first);
        THolder* gone = firstGoesFirst ? first : second;
        THolder* survivor = firstGoesFirst ? second : first;
        delete gone;
        EXPECT_EQ(survivor->told, 1);
        EXPECT_EQ(survivor->held, nullptr);
        EXPECT_FALSE(survivor->ComponentState().Contains(csFreeNotification));
        delete survivor;  // would touch freed memory if a link had survived
    }
}

TEST(FreeNotification, RemovedLinksAreNotUsed)
{
    auto* target = new TComponent(nullptr);
    THolder holder(nullptr);
    holder.Hold(target);
    target->RemoveFreeNotification(&holder);
    delete target;
    EXPECT_EQ(holder.told, 0);
}

TEST(FreeNotification, FreeingTheHolderFirstLeavesTheTargetClean)
{
    TComponent target(nullptr);
    {
        THolder holder(nullptr);
        holder.Hold(&target);
        holder.Hold(&target);  // twice: still one link
    }
    EXPECT_FALSE(target.ComponentState().Contains(csFreeNotification));
}

// Names -------------------------------------------------------------------------------------------------------

TEST(ComponentName, OnlyIdentifiersAreAccepted)
{
    struct Case {
        const char* name;
        bool valid;
    };
    const Case cases[] = {{"Button1", true}, {"_x", true},   {"a_1", true},  {"", true},      {"1abc", false},
                          {"a b", false},    {"a-b", false}, {"\xe4", false}, {"OK.", false}};
    for (const Case& c : cases) {
        TComponent comp(nullptr);
        if (c.valid) {
            EXPECT_NO_THROW(comp.SetName(c.name)) << c.name;
            EXPECT_EQ(comp.Name(), c.name);
        } else {
            try {
                comp.SetName(c.name);
                ADD_FAILURE() << "accepted " << c.name;
            } catch (const EComponentError& e) {
                EXPECT_EQ(e.Message(), AnsiString("'") + c.name + "' is not a valid component name");
                EXPECT_EQ(comp.Name(), "");
            }
        }
    }
}

TEST(ComponentName, NamesAreUniqueAmongSiblingsWithoutCase)
{
    TComponent form(nullptr);
    TComponent other(nullptr);
    auto* a = new TComponent(&form);
    auto* b = new TComponent(&form);
    auto* c = new TComponent(&other);
    a->SetName("Button1");
    try {
        b->SetName("button1");
        FAIL();
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named button1 already exists");
    }
    EXPECT_EQ(b->Name(), "");
    EXPECT_NO_THROW(c->SetName("Button1"));  // another owner
    EXPECT_NO_THROW(a->SetName("BUTTON1"));  // the same component, new case
    EXPECT_EQ(form.FindComponent("button1"), a);
    EXPECT_EQ(form.FindComponent(""), nullptr);
    EXPECT_EQ(form.FindComponent("Nothing"), nullptr);

    // Unnamed components may be many; a named one cannot join an owner that has its name.
    EXPECT_NO_THROW(new TComponent(&form));
    EXPECT_THROW(form.InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &other);
}

TEST(ComponentName, NamePathAndTag)
{
    TComponent comp(nullptr);
    comp.SetName("Timer1");
    comp.SetTag(-7);
    EXPECT_EQ(comp.GetNamePath(), "Timer1");
    EXPECT_EQ(comp.Tag(), -7);
}

TEST(ComponentState, DesigningReachesOwnedComponents)
{
    TComponent form(nullptr);
    auto* a = new TComponent(&form);
    form.SetDesigning(true);
    EXPECT_TRUE(a->ComponentState().Contains(csDesigning));
    auto* b = new TComponent(&form);  // inserted into a designed owner
    EXPECT_TRUE(b->ComponentState().Contains(csDesigning));
    form.SetDesigning(false);
    EXPECT_FALSE(b->ComponentState().Contains(csDesigning));
    form.Updating();
    EXPECT_TRUE(form.ComponentState().Contains(csUpdating));
    form.Updated();
    EXPECT_TRUE(form.ComponentState().Empty());
}

// Loading protocol --------------------------------------------------------------------------------------------

namespace {
struct Flags {
    bool loading, reading;
};
Flags FlagsOf(const TComponent* c)
{
    return {c->ComponentState().Contains(csLoading), c->ComponentState().Contains(csReading)};
}
}  // namespace

TEST(ComponentLoading, ComponentsAreFlaggedWhileMadeAndLoadedInCreationOrder)
{
    Log log;
    TLogged form(nullptr, "Form", &log);
    {
        TComponentLoader loading(&form);
        EXPECT_TRUE(FlagsOf(&form).loading && FlagsOf(&form).reading);
        auto* a = loading.Create<TLogged>("A", &log);
        EXPECT_TRUE(FlagsOf(a).loading && FlagsOf(a).reading);
        auto* b = new TLogged(&form, "B", &log);
        EXPECT_TRUE(FlagsOf(b).loading && FlagsOf(b).reading);
        log.clear();
        loading.Finish();
    }
    // The root first, then its components as they were made; csReading is gone before Loaded, csLoading still
    // set until the base Loaded clears it.
    EXPECT_EQ(log, (Log{"Form loaded L", "A loaded L", "B loaded L"}));
    for (int i = 0; i < form.ComponentCount(); ++i)
        EXPECT_TRUE(form.Components(i)->ComponentState().Empty()) << i;
    EXPECT_TRUE(form.ComponentState().Empty());
}

TEST(ComponentLoading, CreateRunsTheReadStateHookBeforeTheCallerSetsProperties)
{
    Log log;
    TLogged form(nullptr, "Form", &log);
    TComponentLoader loading(&form);
    log.clear();
    auto* a = loading.Create<TLogged>("", &log);
    EXPECT_EQ(log, (Log{"Form +", " readstate"}));
    a->SetName("A");
    loading.Finish();
}

TEST(ComponentLoading, ComponentsLoadedSeeTheirSiblingsStillLoading)
{
    struct TWatcher : TComponent {
        using TComponent::TComponent;
        void Loaded() override
        {
            TComponent::Loaded();
            if (TComponent* next = Owner()->Components(1)) nextWasLoading = FlagsOf(next).loading;
        }
        bool nextWasLoading = false;
    };
    TComponent form(nullptr);
    TComponentLoader loading(&form);
    auto* watcher = new TWatcher(&form);
    new TComponent(&form);
    loading.Finish();
    EXPECT_TRUE(watcher->nextWasLoading);
}

TEST(ComponentLoading, ComponentsFreedOrMadeDuringLoadingAreHandled)
{
    Log log;
    struct TMaker : TLogged {
        using TLogged::TLogged;
        void Loaded() override
        {
            TLogged::Loaded();
            made = new TLogged(Owner(), "Late", log_);  // after loading: not flagged, not loaded
            delete victim;                              // a component still waiting for Loaded
        }
        TComponent* made = nullptr;
        TComponent* victim = nullptr;
    };
    TLogged form(nullptr, "Form", &log);
    TComponentLoader loading(&form);
    auto* early = new TLogged(&form, "Early", &log);
    delete early;  // freed before the end: never loaded
    auto* maker = new TMaker(&form, "Maker", &log);
    maker->victim = new TLogged(&form, "Victim", &log);
    new TLogged(&form, "Last", &log);
    log.clear();
    loading.Finish();
    // Late is announced before its constructor names it.
    EXPECT_EQ(log, (Log{"Form loaded L", "Maker loaded L", "Form +", "Last +", "Victim +", "Maker +", "~Victim",
                        "Form -Victim", "Late -Victim", "Last -Victim", "Maker -Victim", "Last loaded L"}));
    EXPECT_TRUE(FlagsOf(maker->made).loading == false);
}

TEST(ComponentLoading, ALoaderLeftWithoutFinishClearsTheFlagsOnly)
{
    Log log;
    TLogged form(nullptr, "Form", &log);
    TLogged* a = nullptr;
    try {
        TComponentLoader loading(&form);
        a = new TLogged(&form, "A", &log);
        throw Exception("definition failed");
    } catch (const Exception&) {
    }
    EXPECT_TRUE(form.ComponentState().Empty());
    EXPECT_TRUE(a->ComponentState().Empty());
    for (const std::string& entry : log) EXPECT_EQ(entry.find("loaded"), std::string::npos) << entry;

    // The root can be loaded again afterwards, and components made now are not flagged.
    auto* b = new TComponent(&form);
    EXPECT_TRUE(b->ComponentState().Empty());
    TComponentLoader again(&form);
    EXPECT_THROW(TComponentLoader{&form}, EInvalidOperation);
    again.Finish();
}

TEST(ComponentLoading, TheRootFreedDuringLoadingEndsTheLoader)
{
    TComponentLoader* keep = nullptr;
    auto* form = new TComponent(nullptr);
    {
        TComponentLoader loading(form);
        keep = &loading;
        new TComponent(form);
        delete form;
        EXPECT_EQ(keep->Root(), nullptr);
        loading.Finish();  // nothing left to load
    }
}
