#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/TypeName.h"

#include <gtest/gtest.h>

#include <functional>

namespace QK
{
class LEvent
{
};
template <class T> class LNotificationHandler
{
};
class LComboBox
{
};
class LButton
{
};
} // namespace QK

namespace
{

using namespace QK;

TEST(FormatResultCode, WritesUnsignedUpperCaseHexWithoutPadding)
{
    struct Case
    {
        QKRESULT code;
        const char* text;
    };
    const Case cases[] = {
        {QK_E_FAIL, "QKRESULT = 80004005"},
        {QK_E_OUTOFMEMORY, "QKRESULT = 8007000E"},
        {QK_E_INVALIDARG, "QKRESULT = 80070057"},
        {1, "QKRESULT = 1"},
        {0, "QKRESULT = 0"},
        {0x1aB, "QKRESULT = 1AB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatResultCode(c.code), c.text);
}

// Each throw helper must produce the one text layout, and the exception must be caught by
// the handlers callers actually write.
TEST(ExceptionText, FieldsAreJoinedWithoutEmptyDetail)
{
    struct Case
    {
        std::function<void()> raise;
        const char* text;
    };
    const Case cases[] = {
        {[] { Throw<std::runtime_error>({"QK::LRefCountedObject::SetUnshareable", "ObjectBase\\RefCountedObject", 29}); },
         "Runtime Error : QK::LRefCountedObject::SetUnshareable : ObjectBase\\RefCountedObject : Line 29"},
        {[] { Throw<std::runtime_error>({"QK::File::Open", "Utilities\\Storage\\QKFile", 318}, "invalid pathname"); },
         "Runtime Error : invalid pathname : QK::File::Open : Utilities\\Storage\\QKFile : Line 318"},
        {[] { Throw<std::logic_error>({"QK::LKeybed::GetParamValueLocal", "Src\\Keybed", 7}); },
         "Logic Error : QK::LKeybed::GetParamValueLocal : Src\\Keybed : Line 7"},
        {[] { Throw<std::out_of_range>({"QK::F", "f", 1}, "Unknown Path ID."); },
         "Out of Range : Unknown Path ID. : QK::F : f : Line 1"},
        {[] { Throw<std::domain_error>({"QK::F", "f", 2}, "d"); }, "Domain Error : d : QK::F : f : Line 2"},
        {[] { Throw<std::invalid_argument>({"QK::F", "f", 3}, "a"); }, "Invalid Argument : a : QK::F : f : Line 3"},
        {[] { ThrowNullPointer({"QK::LMain::Init", "UI\\Main", 12}, "cannot find child sendButton"); },
         "Runtime Error : Null Pointer : cannot find child sendButton : QK::LMain::Init : UI\\Main : Line 12"},
        {[] { CheckResult(QK_E_FAIL, {"QK::LClipboard::Initialize", "System\\ClipBoard", 41}); },
         "Failed Result : QKRESULT = 80004005 : QK::LClipboard::Initialize : System\\ClipBoard : Line 41"},
    };
    for (const Case& c : cases)
    {
        try
        {
            c.raise();
            ADD_FAILURE() << "nothing thrown for " << c.text;
        }
        catch (const ExceptionBase& e)
        {
            EXPECT_STREQ(e.What(), c.text);
            EXPECT_STREQ(dynamic_cast<const std::exception&>(e).what(), c.text);
        }
    }
}

TEST(ExceptionText, SiteMacroRecordsItsOwnLine)
{
    const int line = __LINE__ + 3;
    try
    {
        Throw<std::logic_error>(QK_SITE("QK::X::Y", "Here"));
    }
    catch (const std::logic_error& e)
    {
        EXPECT_EQ(std::string(e.what()), "Logic Error : QK::X::Y : Here : Line " + std::to_string(line));
    }
}

TEST(ExceptionKinds, AreCaughtByTheirStandardBases)
{
    EXPECT_THROW(CheckResult(QK_E_INVALIDARG, {"f", "s", 1}), std::exception);
    bool caughtAsRuntime = false;
    try
    {
        CheckResult(QK_E_INVALIDARG, {"f", "s", 1});
    }
    catch (const std::runtime_error&)
    {
        caughtAsRuntime = true;
    }
    catch (const std::exception&)
    {
    }
    EXPECT_FALSE(caughtAsRuntime);
    EXPECT_THROW(Throw<std::out_of_range>({"f", "s", 1}), std::logic_error);
    EXPECT_THROW(ThrowBadAlloc(), std::bad_alloc);
}

TEST(ExceptionKinds, BadAllocationHasNoPrefixOrPlace)
{
    try
    {
        ThrowBadAlloc();
    }
    catch (const ExceptionBase& e)
    {
        EXPECT_STREQ(e.What(), "bad allocation");
    }
}

TEST(CheckResult, PassesSuccessAndPositiveCodes)
{
    for (QKRESULT code : {0, 1, 2, 0x7FFFFFFF})
        EXPECT_NO_THROW(CheckResult(code, {"f", "s", 1}));
}

TEST(ExceptionCopies, OwnTheirText)
{
    auto* first = new Exception<std::runtime_error>(std::string("Runtime Error : temp : f : s : Line 1"));
    Exception<std::runtime_error> copy(*first);
    delete first;
    EXPECT_STREQ(copy.What(), "Runtime Error : temp : f : s : Line 1");

    auto* failed = new Exception<FailedResultException>(std::string("Failed Result : x"));
    Exception<FailedResultException> failedCopy(*failed);
    delete failed;
    EXPECT_STREQ(failedCopy.what(), "Failed Result : x");
}

TEST(QuietStartupResults, AreExactlyTheSixCodes)
{
    for (std::uint32_t code : {0x8000A000u, 0x8000A001u, 0x8000A002u, 0x8000A003u, 0x8000A010u, 0x8000A020u})
        EXPECT_TRUE(IsQuietStartupResult(static_cast<QKRESULT>(code))) << std::hex << code;
    for (std::uint32_t code : {0x8000A004u, 0x8000A011u, 0x80004005u, 0u, 1u})
        EXPECT_FALSE(IsQuietStartupResult(static_cast<QKRESULT>(code))) << std::hex << code;
}

TEST(TypeNames, UseTheTextFormOfExceptionMessages)
{
    EXPECT_EQ(TypeName<LEvent>(), "class QK::LEvent");
    EXPECT_EQ(TypeName<LNotificationHandler<LComboBox>>(), "class QK::LNotificationHandler<class QK::LComboBox>");
    EXPECT_EQ(TypeName<LButton*>(), "class QK::LButton *");
    EXPECT_EQ(TypeName<int>(), "int");
    EXPECT_EQ(TypeName<unsigned int>(), "unsigned int");
    EXPECT_EQ(TextFormOfTypeName("QK::RCPtrArray<QK::LButton, 1, 0>"), "class QK::RCPtrArray<class QK::LButton,1,0>");
    EXPECT_EQ(TextFormOfTypeName("QK::A<QK::B*, -1>"), "class QK::A<class QK::B *,-1>");
    EXPECT_EQ(TextFormOfTypeName("(anonymous namespace)::Probe"), "class `anonymous namespace'::Probe");
    EXPECT_EQ(TextFormOfTypeName("QK::A<(anonymous namespace)::P>"), "class QK::A<class `anonymous namespace'::P>");
}

} // namespace
