#include "core/Delegates.h"
#include "core/IntRect.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

int gPlainCalls = 0;
void Plain() { ++gPlainCalls; }

struct CPanel {
    int clicks = 0;
    void Click() { ++clicks; }
};

struct CReader {
    char fileName[64] = {};
    int read = 0;
    void Read(FILE* file) { read += file ? 1 : 10; }
};

FILE* gLastFile = nullptr;
void ReadPlain(FILE* file) { gLastFile = file; }

TEST(Delegate, InvokeResults)
{
    CPanel panel;
    IDelegate* withMethod = new CDelegate<CPanel>(&panel, &CPanel::Click);
    EXPECT_EQ(0, withMethod->Invoke());
    EXPECT_EQ(1, panel.clicks);
    delete withMethod;

    CDelegate<CPanel> noMethod(&panel, nullptr);
    EXPECT_EQ(-1, noMethod.Invoke());
    CDelegate<CPanel> nothing(nullptr, nullptr);
    EXPECT_EQ(-2, nothing.Invoke());

    gPlainCalls = 0;
    CDelegate<CEmptyClass> function(&Plain);
    EXPECT_EQ(0, function.Invoke());
    EXPECT_EQ(1, gPlainCalls);
}

TEST(Delegate, SetObjectRetargetsOnlyMethodDelegates)
{
    CPanel first, second;
    CDelegate<CPanel> delegate(&first, &CPanel::Click);
    delegate.SetObject(&second);
    delegate.Invoke();
    EXPECT_EQ(0, first.clicks);
    EXPECT_EQ(1, second.clicks);

    CEmptyClass object;
    CDelegate<CEmptyClass> function(&Plain);
    function.SetObject(&object);
    gPlainCalls = 0;
    EXPECT_EQ(0, function.Invoke());
    EXPECT_EQ(1, gPlainCalls);

    CDelegate<CPanel> noMethod(nullptr, nullptr);
    noMethod.SetObject(&first);  // no method: the object is not taken
    EXPECT_EQ(-2, noMethod.Invoke());
}

TEST(Delegate, OneArgumentDelegatePassesTheFile)
{
    CReader reader, other;
    FILE* file = tmpfile();
    ASSERT_NE(nullptr, file);
    IDelegate1<FILE*>* hook = new TDelegate1<void, FILE*, CReader>(&reader, &CReader::Read);
    hook->Invoke(file);
    EXPECT_EQ(1, reader.read);
    static_cast<TDelegate1<void, FILE*, CReader>*>(hook)->SetObject(&other);
    hook->Invoke(nullptr);
    EXPECT_EQ(10, other.read);
    delete hook;

    TDelegate1<void, FILE*, CReader> plain(&ReadPlain);
    plain.Invoke(file);
    EXPECT_EQ(file, gLastFile);

    TDelegate1<void, FILE*, CReader> empty(nullptr, nullptr);
    empty.Invoke(file);  // nothing to call
    fclose(file);
}

TEST(IntRect, EdgesAreInclusive)
{
    CIntRect one(10, 20, 10, 20);
    EXPECT_EQ(1, one.Width());
    EXPECT_EQ(1, one.Height());
    CIntRect zero;
    EXPECT_EQ(0, zero.left);
    EXPECT_EQ(0, zero.bottom);
    EXPECT_EQ(1, zero.Width());
    CIntRect wide(0, 0, 249, 99);
    EXPECT_EQ(250, wide.Width());
    EXPECT_EQ(100, wide.Height());
}

} // namespace
