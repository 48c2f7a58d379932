// Option-object and component bases: change notification held back by updates; unique names, the one-instance
// check and its error texts.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclcomponent.h"
#include "zcl/core/Zclobject.h"

namespace {

// Both bases notify the same way; the fixture makes either kind.
template <typename T>
struct Made;
template <>
struct Made<TZCLObject> {
    static std::unique_ptr<TZCLObject> New() { return std::make_unique<TZCLObject>(); }
};
template <>
struct Made<TZCLComponent> {
    static std::unique_ptr<TZCLComponent> New() { return std::make_unique<TZCLComponent>(nullptr); }
};

template <typename T>
class ChangeNotification : public testing::Test {
protected:
    void SetUp() override
    {
        object = Made<T>::New();
        object->SetOnChange(TNotifyEvent::From([this](TObject* sender) { senders.push_back(sender); }));
    }
    std::unique_ptr<T> object;
    std::vector<TObject*> senders;
};

using Bases = testing::Types<TZCLObject, TZCLComponent>;
TYPED_TEST_SUITE(ChangeNotification, Bases);

TYPED_TEST(ChangeNotification, ChangeTellsOnChangeWithTheObjectAsSender)
{
    this->object->Change();
    ASSERT_EQ(this->senders.size(), 1u);
    EXPECT_EQ(this->senders[0], this->object.get());
}

TYPED_TEST(ChangeNotification, UpdatingIsAFlagThatTheFirstEndUpdateClears)
{
    this->object->BeginUpdate();
    this->object->BeginUpdate();
    this->object->Change();
    EXPECT_TRUE(this->senders.empty());
    this->object->EndUpdate(false);
    EXPECT_TRUE(this->senders.empty());
    EXPECT_FALSE(this->object->IsUpdating());
    this->object->Change();  // notification is on again after one EndUpdate
    EXPECT_EQ(this->senders.size(), 1u);
}

TYPED_TEST(ChangeNotification, EndUpdateWithDoChangeNotifiesOnce)
{
    this->object->BeginUpdate();
    this->object->Change();
    this->object->Change();
    this->object->EndUpdate(true);
    ASSERT_EQ(this->senders.size(), 1u);
    EXPECT_EQ(this->senders[0], this->object.get());
}

TYPED_TEST(ChangeNotification, ANestedObjectsChangeIsPassedOnAsTheOwnersChange)
{
    TZCLObject nested;
    nested.SetOnChange(TNotifyEvent(this->object.get(), &TypeParam::GetChange));
    nested.Change();
    ASSERT_EQ(this->senders.size(), 1u);
    EXPECT_EQ(this->senders[0], this->object.get());

    this->object->BeginUpdate();  // held back by the owner's update, not the nested one's
    nested.Change();
    EXPECT_EQ(this->senders.size(), 1u);
}

TEST(ZclObject, WithoutAHandlerChangeDoesNothingAndTheSummaryIsEmpty)
{
    TZCLObject object;
    object.Change();
    object.EndUpdate(true);
    EXPECT_TRUE(object.GetSetStr().IsEmpty());
}

// ZCLUniqueName -------------------------------------------------------------------------------------------------

TEST(ZclUniqueName, TakesTheFirstNumberNoComponentOfTheOwnerCarries)
{
    TComponent owner(nullptr);
    EXPECT_EQ(ZCLUniqueName("TZCLButton", &owner), "ZCLButton1");
    (new TComponent(&owner))->SetName("ZCLButton");
    (new TComponent(&owner))->SetName("ZCLButton1");
    EXPECT_EQ(ZCLUniqueName("TZCLButton", &owner), "ZCLButton2");
    (new TComponent(&owner))->SetName("zclbutton2");  // names are compared without case
    EXPECT_EQ(ZCLUniqueName("tZCLButton", &owner), "ZCLButton3");
}

TEST(ZclUniqueName, DropsOnlyALeadingTAndNumbersFromOneWithoutOwner)
{
    struct Case {
        const char* base;
        const char* name;
    } const cases[] = {
        {"TZCLLabel", "ZCLLabel1"},
        {"tLabel", "Label1"},
        {"Label", "Label1"},
        {"TT", "T1"},
        {"", "1"},
        {"Width%d", "Width%d1"},  // the base is text, not a format
    };
    for (const Case& c : cases) EXPECT_EQ(ZCLUniqueName(c.base, nullptr), c.name) << c.base;
}

// One-instance check ---------------------------------------------------------------------------------------------

// The framework has no data-module class: one is recognised by its class name.
namespace stand_in {
class TDataModule : public TComponent {
public:
    using TComponent::TComponent;
};
}  // namespace stand_in

class TOneOnly : public TComponent {
public:
    using TComponent::TComponent;
};
class TOneOnlyDerived : public TOneOnly {
public:
    using TOneOnly::TOneOnly;
};

TEST(ZclCheckForSameClass, AnOwnerThatIsNoFormIsRefused)
{
    TComponent plain(nullptr);
    new TOneOnly(&plain);
    EXPECT_TRUE(ZCLCheckForSameClass(&plain, ClassOf<TOneOnly>(), false));
    EXPECT_TRUE(ZCLCheckForSameClass(nullptr, ClassOf<TOneOnly>(), true));

    stand_in::TDataModule module(nullptr);
    new TOneOnly(&module);
    EXPECT_TRUE(ZCLCheckForSameClass(&module, ClassOf<TOneOnly>(), false));
    EXPECT_FALSE(ZCLCheckForSameClass(&module, ClassOf<TOneOnly>(), true));
}

TEST(ZclCheckForSameClass, OnAFormOnlyASecondInstanceIsRefused)
{
    TForm form(nullptr);
    new TComponent(&form);
    new TOneOnly(&form);
    EXPECT_FALSE(ZCLCheckForSameClass(&form, ClassOf<TOneOnly>(), false));
    EXPECT_FALSE(ZCLCheckForSameClass(&form, nullptr, false));
    new TOneOnlyDerived(&form);  // a derived class counts as one of the class
    EXPECT_TRUE(ZCLCheckForSameClass(&form, ClassOf<TOneOnly>(), false));
    EXPECT_FALSE(ZCLCheckForSameClass(&form, ClassOf<TOneOnlyDerived>(), false));
    EXPECT_FALSE(ZCLCheckForSameClass(&form, nullptr, false));
}

TEST(ZclCreateHandle, MakesTheControlsWindowNow)
{
    TForm form(nullptr);
    EXPECT_FALSE(form.HandleAllocated());
    ZCLCreateHandle(&form);
    EXPECT_TRUE(form.HandleAllocated());
    EXPECT_TRUE(IsWindow(form.Handle()));
    ZCLCreateHandle(nullptr);
}

TEST(ZclOneInstError, CarriesTheTextsOfBothModes)
{
    EXPECT_EQ(ZCLEOneInstError("TZCLForm", 0).Message(),
              "TZCLForm:\rInvalid owner (<>TForm) or second instance on a form");
    EXPECT_EQ(ZCLEOneInstError("TZCLForm", 1).Message(), "TZCLForm:\rAlready one TZCLForm control in this project!");
}

}  // namespace
