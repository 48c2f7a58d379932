#include <gtest/gtest.h>

#include "framework/runtime/Closure.h"

namespace {
struct Base {
    virtual ~Base() = default;
    int hits = 0;
    void Hit(TObject*) { ++hits; }
    virtual int Twice(int v) { return 2 * v; }
};
struct Derived : Base {
    int Twice(int v) override { return 3 * v; }
    int Peek(int v) const { return v + hits; }
};
}  // namespace

TEST(Closure, BindsCallsAndCompares)
{
    Derived a, b;
    TNotifyEvent e1(&a, &Base::Hit), e2(&a, &Base::Hit), e3(&b, &Base::Hit), none;
    EXPECT_FALSE(none);
    EXPECT_TRUE(e1);
    EXPECT_EQ(e1, e2);
    EXPECT_FALSE(e1 == e3);
    EXPECT_FALSE(e1 == none);
    EXPECT_EQ(none, TNotifyEvent(nullptr));
    e1(nullptr);
    e3(nullptr);
    EXPECT_EQ(a.hits, 1);
    EXPECT_EQ(b.hits, 1);
    none(nullptr);  // an unassigned event does nothing

    Closure<int(int)> v(&a, &Base::Twice);  // virtual dispatch is kept
    EXPECT_EQ(v(5), 15);
    Closure<int(int)> c(&a, &Derived::Peek);
    EXPECT_EQ(c(5), 6);
    EXPECT_FALSE(v == c);
    EXPECT_EQ(Closure<int(int)>()(1), 0);

    int n = 0;
    auto l = TNotifyEvent::From([&](TObject*) { ++n; });
    auto copy = l;
    l(nullptr);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(l, copy);
    EXPECT_FALSE(l == TNotifyEvent::From([&](TObject*) { ++n; }));
}
