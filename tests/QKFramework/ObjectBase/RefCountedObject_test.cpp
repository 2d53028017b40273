#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

#include <functional>

namespace QK
{
// Named to show the type-name form of the default text.
class LProbe : public virtual LRefCountedObject
{
public:
    explicit LProbe(int* destroyed = nullptr) : m_destroyed(destroyed) {}
    ~LProbe() override
    {
        if (m_destroyed)
            ++*m_destroyed;
    }
    int value = 0;

private:
    int* m_destroyed;
};

class LDerivedProbe : public LProbe
{
public:
    using LProbe::LProbe;
};

// CreateCopy answers with an object of another class: the copy cannot be used.
class LBadCopy : public virtual LRefCountedObject
{
public:
    ConstRCPtr<LRefCountedObject> CreateCopy() const override { return ConstRCPtr<LRefCountedObject>(new LProbe); }
};
} // namespace QK

namespace
{

using namespace QK;

// An object whose one back-reference is held by a registry it signed up with; its
// ReleaseInternalReferences makes the registry let go.
class LRegistered : public virtual LRefCountedObject
{
public:
    LRegistered(int* destroyed, int* asked) : m_destroyed(destroyed), m_asked(asked) {}
    ~LRegistered() override { ++*m_destroyed; }

    void Register(ConstRCPtr<LRegistered>& registrySlot)
    {
        m_slot = &registrySlot;
        registrySlot = ConstRCPtr<LRegistered>(this);
        AddInternalReferences(1);
    }

    QKRESULT ReleaseInternalReferences() override
    {
        ++*m_asked;
        if (m_slot && keepRegistration == false)
        {
            AddInternalReferences(-1);
            ConstRCPtr<LRegistered>* slot = std::exchange(m_slot, nullptr);
            nestedReleaseResult = GetRefCount() - 1;
            *slot = nullptr;
        }
        return LRefCountedObject::ReleaseInternalReferences();
    }

    bool keepRegistration = false;
    std::int32_t nestedReleaseResult = -1;

private:
    int* m_destroyed;
    int* m_asked;
    ConstRCPtr<LRegistered>* m_slot = nullptr;
};

// Copyable on write: CreateCopy gives a new object with the same value.
class LCopyable : public virtual LRefCountedObject
{
public:
    explicit LCopyable(int v) : value(v) {}
    ConstRCPtr<LRefCountedObject> CreateCopy() const override { return ConstRCPtr<LRefCountedObject>(new LCopyable(value)); }
    int value;
};

TEST(RefCount, LastReleaseDestroysOnce)
{
    int destroyed = 0;
    auto* raw = new LProbe(&destroyed);
    EXPECT_EQ(raw->GetRefCount(), 0);
    {
        ConstRCPtr<LProbe> p(raw);
        EXPECT_EQ(raw->GetRefCount(), 1);
        ConstRCPtr<LProbe> q = p;
        ConstRCPtr<LProbe> r = q;
        EXPECT_EQ(raw->GetRefCount(), 3);
        EXPECT_EQ(raw->AddRef(), 4);
        EXPECT_EQ(raw->Release(), 3);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCount, GuardedLastReleaseBreaksTheBackReference)
{
    int destroyed = 0;
    int asked = 0;
    ConstRCPtr<LRegistered> registry;
    auto* object = new LRegistered(&destroyed, &asked);
    ConstRCPtr<LRegistered> owner(object);
    object->Register(registry);
    ASSERT_EQ(object->GetRefCount(), 2);
    ASSERT_EQ(object->GetInternalRefCount(), 1);

    EXPECT_EQ(object->AddRef(), 3);
    EXPECT_EQ(object->Release(), 2); // r - i = 2: nobody is asked
    EXPECT_EQ(asked, 0);

    EXPECT_EQ(owner.Detach()->Release(), 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCount, GuardIsGivenBackWhenAHolderKeepsItsReference)
{
    int destroyed = 0;
    int asked = 0;
    ConstRCPtr<LRegistered> registry;
    auto* object = new LRegistered(&destroyed, &asked);
    ConstRCPtr<LRegistered> owner(object);
    object->Register(registry);
    object->keepRegistration = true;

    EXPECT_EQ(owner.Detach()->Release(), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(destroyed, 0);

    // A second outside reference comes and goes: the guard must be free again.
    object->keepRegistration = false;
    ConstRCPtr<LRegistered> again(object);
    again = nullptr;
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(destroyed, 1);
}

TEST(RefCount, DefaultReleaseInternalReferencesReportsWhetherTheObjectMayDie)
{
    ConstRCPtr<LProbe> p(new LProbe);
    RCPtr<LProbe> mutableP = RCPtr<LProbe>::DynamicCast(p);
    EXPECT_EQ(mutableP->ReleaseInternalReferences(), QK_E_FAIL); // two references
    mutableP = nullptr;
    LProbe* raw = const_cast<LProbe*>(p.Get());
    EXPECT_EQ(raw->ReleaseInternalReferences(), QK_OK);
    raw->AddInternalReferences(1);
    EXPECT_EQ(raw->ReleaseInternalReferences(), QK_E_FAIL);
    raw->AddInternalReferences(-1);
}

TEST(RefCount, SetUnshareableOnlyWhileAtMostOneHolder)
{
    auto* raw = new LProbe;
    raw->SetUnshareable(true); // count 0
    raw->SetUnshareable(false);
    ConstRCPtr<LProbe> p(raw);
    raw->SetUnshareable(true); // count 1
    raw->SetUnshareable(false);
    ConstRCPtr<LProbe> q(p);
    try
    {
        raw->SetUnshareable(true);
        ADD_FAILURE();
    }
    catch (const std::runtime_error& e)
    {
        EXPECT_STREQ(e.what(), "Runtime Error : QK::LRefCountedObject::SetUnshareable : ObjectBase\\RefCountedObject : Line 29");
    }
    EXPECT_TRUE(raw->IsShareable());
    raw->SetUnshareable(false);
}

TEST(RefCount, DefaultTextsOfTheBase)
{
    ConstRCPtr<LProbe> p(new LDerivedProbe);
    EXPECT_TRUE(p->ToString().IsEqual(u"LRefCountedObject::ToString() not overridden. Returning TypeName: class QK::LDerivedProbe"));

    RCPtr<LProbe> m = RCPtr<LProbe>::DynamicCast(p);
    try
    {
        m->Undo();
        ADD_FAILURE();
    }
    catch (const std::logic_error& e)
    {
        EXPECT_STREQ(e.what(), "Logic Error : Undo() not implemented for RefCountedObject : QK::LRefCountedObject::Undo : "
                               "objectbase\\RefCountedObject : Line 156");
    }
    try
    {
        (void)p->CreateCopy();
        ADD_FAILURE();
    }
    catch (const std::logic_error& e)
    {
        EXPECT_STREQ(e.what(), "Logic Error : CreateCopy() not implemented for RefCountedObject : "
                               "QK::LRefCountedObject::CreateCopy : objectbase\\RefCountedObject : Line 274");
    }
}

TEST(SmartPointer, NullAndSelfAssignmentTouchNoCount)
{
    ConstRCPtr<LProbe> empty(static_cast<LProbe*>(nullptr));
    EXPECT_FALSE(empty);
    ConstRCPtr<LProbe> p(new LProbe);
    ConstRCPtr<LProbe> q(p);
    const LProbe* raw = p.Get();
    ConstRCPtr<LProbe>& self = p;
    p = self;
    p = q;
    EXPECT_EQ(raw->GetRefCount(), 2);
}

TEST(SmartPointer, NewObjectSurvivesWhenReleasingTheOldDropsItsLastOtherHolder)
{
    struct LOwner : LProbe
    {
        ConstRCPtr<LProbe> member;
    };
    int destroyedY = 0;
    auto* x = new LOwner;
    auto* y = new LProbe(&destroyedY);
    x->member = ConstRCPtr<LProbe>(y);
    ConstRCPtr<LProbe> a(x);
    a = x->member; // releasing X drops Y's other reference
    EXPECT_EQ(a.Get(), y);
    EXPECT_EQ(y->GetRefCount(), 1);
    EXPECT_EQ(destroyedY, 0);
}

TEST(SmartPointer, DynamicCastToAnotherClassIsEmptyAndLeavesTheSource)
{
    ConstRCPtr<LRefCountedObject> base(new LProbe);
    EXPECT_TRUE(ConstRCPtr<LProbe>::DynamicCast(base));
    EXPECT_FALSE(ConstRCPtr<LCopyable>::DynamicCast(base));
    EXPECT_EQ(base->GetRefCount(), 1);
    EXPECT_FALSE(ConstRCPtr<LCopyable>::DynamicCast(ConstRCPtr<LRefCountedObject>()));
    ConstRCPtr<LProbe> derived(new LDerivedProbe);
    ConstRCPtr<LRefCountedObject> up = derived;
    EXPECT_EQ(up->GetRefCount(), 2);
}

TEST(CopyOnWrite, UnshareableObjectIsCopiedForAFurtherHolder)
{
    ConstRCPtr<LCopyable> holder(new LCopyable(7));
    const LCopyable* original = holder.Get();
    const_cast<LCopyable*>(original)->SetUnshareable(true);

    ConstRCPtr<LCopyable> second(holder);
    ASSERT_TRUE(second);
    EXPECT_NE(second.Get(), original);
    EXPECT_EQ(second->value, 7);
    EXPECT_TRUE(second->IsShareable());
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(original->GetRefCount(), 1);

    ConstRCPtr<LCopyable> assigned;
    assigned = holder;
    EXPECT_NE(assigned.Get(), original);

    const_cast<LCopyable*>(original)->SetUnshareable(false);
    ConstRCPtr<LCopyable> shared(holder);
    EXPECT_EQ(shared.Get(), original);
    EXPECT_EQ(original->GetRefCount(), 2);
}

TEST(CopyOnWrite, UnshareableObjectWithNoHolderIsTakenItself)
{
    auto* raw = new LCopyable(1);
    raw->SetUnshareable(true);
    ConstRCPtr<LCopyable> p(raw);
    EXPECT_EQ(p.Get(), raw);
    EXPECT_EQ(raw->GetRefCount(), 1);
}

TEST(CopyOnWrite, ObjectsThatCannotBeCopiedThrow)
{
    int destroyed = 0;
    ConstRCPtr<LProbe> holder(new LProbe(&destroyed));
    const_cast<LProbe*>(holder.Get())->SetUnshareable(true);
    EXPECT_THROW(ConstRCPtr<LProbe> second(holder), std::logic_error);
    EXPECT_EQ(holder->GetRefCount(), 1); // the failed copy gave its reference back

    ConstRCPtr<LBadCopy> bad(new LBadCopy);
    const_cast<LBadCopy*>(bad.Get())->SetUnshareable(true);
    ConstRCPtr<LBadCopy> target;
    try
    {
        target = bad;
        ADD_FAILURE();
    }
    catch (const std::logic_error& e)
    {
        EXPECT_STREQ(e.what(), "Logic Error : class QK::LBadCopy : QK::ConstRCPtr<class QK::LBadCopy,class QK::LBadCopy *>::Unshare : "
                               "objectbase\\RefCountedObject : Line 424");
    }
    EXPECT_FALSE(target);
    EXPECT_EQ(bad->GetRefCount(), 1);
    holder = nullptr;
    EXPECT_EQ(destroyed, 1);
}

TEST(Holder, StartsAtZeroAndWrapperIsCounted)
{
    ConstRCPtr<LHolder<int>> h(new LHolder<int>);
    EXPECT_EQ(h->GetValue(), 0);
    RCPtr<LHolder<int>> m = RCPtr<LHolder<int>>::DynamicCast(h);
    m->SetValue(42);
    EXPECT_EQ(h->GetValue(), 42);

    struct Payload
    {
        std::vector<int> items{1, 2, 3};
    };
    ConstRCPtr<LWrapper<Payload>> w(new LWrapper<Payload>);
    EXPECT_EQ(w->items.size(), 3u);
    EXPECT_EQ(w->GetRefCount(), 1);
}

} // namespace
