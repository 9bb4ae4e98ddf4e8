#include "foundation/carray.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {

struct ArrayFixture : ::testing::Test {
    Carray a;
    void SetUp() override { Carray_Init(&a, POINTER); }
    void TearDown() override { Carray_RemoveAll(&a); }
    void *p(int i) { return &marks[i]; }
    char marks[64];
};

TEST_F(ArrayFixture, AutomaticGrowthFromEmpty)
{
    const std::vector<int> expected = {1, 5, 5, 5, 5, 9, 9, 9, 9, 13};
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ((int)i, Carray_Add(&a, p(i)));
        EXPECT_EQ(expected[i], a.m_nMaxSize) << "after append " << i + 1;
    }
    // Past 32 elements the step follows one eighth of the size.
    std::vector<int> caps;
    for (int i = 10; i < 64; i++) {
        Carray_Add(&a, p(i));
        if (caps.empty() || caps.back() != a.m_nMaxSize)
            caps.push_back(a.m_nMaxSize);
    }
    EXPECT_EQ((std::vector<int>{13, 17, 21, 25, 29, 33, 37, 41, 46, 51, 57, 64}), caps);
    for (int i = 0; i < 64; i++)
        EXPECT_EQ(p(i), Carray_GetAt(&a, i));
}

TEST_F(ArrayFixture, ExplicitStepsAndNegativeSizes)
{
    Carray_SetSize(&a, 5, -1);
    ASSERT_EQ(5, a.m_nMaxSize);
    Carray_SetSize(&a, 10, 3);  // 5 + 3 is less than 10
    EXPECT_EQ(10, a.m_nMaxSize);
    EXPECT_EQ(3, a.m_nGrowBy);
    Carray_SetSize(&a, 11, -1);
    EXPECT_EQ(13, a.m_nMaxSize);

    Carray_SetSize(&a, -2, 7);  // nothing, not even the step
    EXPECT_EQ(3, a.m_nGrowBy);
    EXPECT_EQ(11, a.m_nSize);

    Carray_SetSize(&a, 14, -5);  // a stored negative step makes growth exact
    EXPECT_EQ(-5, a.m_nGrowBy);
    EXPECT_EQ(14, a.m_nMaxSize);
    Carray_SetSize(&a, 20, -1);
    EXPECT_EQ(20, a.m_nMaxSize);

    Carray_SetSize(&a, 2, -1);  // shrinking keeps the block
    EXPECT_EQ(2, a.m_nSize);
    EXPECT_EQ(20, a.m_nMaxSize);
    Carray_SetSize(&a, 0, -1);
    EXPECT_EQ(nullptr, a.m_pData);
    EXPECT_EQ(0, a.m_nMaxSize);
    EXPECT_EQ(-5, a.m_nGrowBy);
}

TEST_F(ArrayFixture, NullArraysAndElements)
{
    EXPECT_EQ(-1, Carray_GetSize(nullptr));
    EXPECT_EQ(0, Carray_GetSize(&a));
    EXPECT_EQ(-1, Carray_Add(nullptr, p(0)));
    EXPECT_EQ(-1, Carray_AddIvalue(nullptr, 1));
    EXPECT_EQ(-1, Carray_AddDvalue(nullptr, 1.0));
    EXPECT_EQ(-1, Carray_AddFvalue(nullptr, 1.0f));
    EXPECT_EQ(-1, Carray_Add(&a, nullptr));
    EXPECT_EQ(0, a.m_nSize);
    EXPECT_EQ(0, a.m_nMaxSize);
}

TEST_F(ArrayFixture, RemoveGetSetAtTheEdges)
{
    for (int i = 0; i < 4; i++)
        Carray_Add(&a, p(i));
    Carray_RemoveAt(&a, 4);
    Carray_RemoveAt(&a, -1);
    EXPECT_EQ(4, a.m_nSize);
    Carray_RemoveAt(&a, 3);  // last: nothing moves
    EXPECT_EQ(3, a.m_nSize);
    EXPECT_EQ(p(2), Carray_GetAt(&a, 2));
    Carray_RemoveAt(&a, 0);  // first: the rest moves down
    EXPECT_EQ(2, a.m_nSize);
    EXPECT_EQ(p(1), Carray_GetAt(&a, 0));
    EXPECT_EQ(p(2), Carray_GetAt(&a, 1));
    EXPECT_EQ(5, a.m_nMaxSize);

    EXPECT_EQ(nullptr, Carray_GetAt(&a, 2));
    EXPECT_EQ(nullptr, Carray_GetAt(&a, -1));
    Carray_SetAt(&a, 2, p(9));
    Carray_SetAt(&a, -1, p(9));
    EXPECT_EQ(2, a.m_nSize);
    Carray_SetAt(&a, 1, p(9));
    EXPECT_EQ(p(9), Carray_GetAt(&a, 1));
}

TEST_F(ArrayFixture, InsertInsideAndPastTheEnd)
{
    for (int i = 0; i < 3; i++)
        Carray_Add(&a, p(i));
    Carray_InsertAt(&a, -1, p(5));
    EXPECT_EQ(3, a.m_nSize);
    Carray_InsertAt(&a, 7, p(7));
    EXPECT_EQ(8, a.m_nSize);
    EXPECT_EQ(p(7), Carray_GetAt(&a, 7));
    EXPECT_EQ(p(2), Carray_GetAt(&a, 2));

    Carray_InsertAt(&a, 0, nullptr);  // null is accepted by insert
    EXPECT_EQ(9, a.m_nSize);
    EXPECT_EQ(nullptr, Carray_GetAt(&a, 0));
    EXPECT_EQ(p(0), Carray_GetAt(&a, 1));
    EXPECT_EQ(p(7), Carray_GetAt(&a, 8));
}

TEST(CarrayTyped, SlotWidthsOfEachKind)
{
    Carray d, i, f;
    Carray_Init(&d, DVALUE);
    Carray_Init(&i, IVALUE);
    Carray_Init(&f, FVALUE);
    for (int k = 0; k < 10; k++) {
        Carray_AddDvalue(&d, k + 0.5);
        Carray_AddIvalue(&i, -k);
        Carray_AddFvalue(&f, k * 0.25f);
    }
    Carray_InsertAtDvalue(&d, 0, -1.5);
    Carray_InsertAtIvalue(&i, 0, 100);
    Carray_InsertAtFvalue(&f, 0, 2.5f);
    for (int k = 0; k < 10; k++) {
        EXPECT_DOUBLE_EQ(k + 0.5, Carray_GetAtDvalue(&d, k + 1));
        EXPECT_EQ(-k, Carray_GetAtIvalue(&i, k + 1));
        EXPECT_FLOAT_EQ(k * 0.25f, Carray_GetAtFvalue(&f, k + 1));
    }
    EXPECT_DOUBLE_EQ(-1.5, Carray_GetAtDvalue(&d, 0));
    EXPECT_EQ(100, Carray_GetAtIvalue(&i, 0));
    EXPECT_FLOAT_EQ(2.5f, Carray_GetAtFvalue(&f, 0));
    // A DVALUE block holds 8-byte slots, the others 4-byte ones.
    EXPECT_DOUBLE_EQ(9.5, ((double *)d.m_pData)[10]);
    EXPECT_EQ(-9, ((int *)i.m_pData)[10]);
    EXPECT_FLOAT_EQ(2.25f, ((float *)f.m_pData)[10]);

    EXPECT_DOUBLE_EQ(0.0, Carray_GetAtDvalue(&d, 11));
    EXPECT_EQ(0, Carray_GetAtIvalue(&i, -1));
    Carray_SetAtIvalue(&i, 11, 5);
    EXPECT_EQ(11, i.m_nSize);
    Carray_SetAtDvalue(&d, 3, 7.0);
    EXPECT_DOUBLE_EQ(7.0, Carray_GetAtDvalue(&d, 3));
    EXPECT_EQ(0, Carray_AddIvalue(&i, 0) - 11);

    Carray_RemoveAll(&d);
    Carray_RemoveAll(&i);
    Carray_RemoveAll(&f);
}

TEST(CarrayNew, HeapRecord)
{
    Carray *a = Carray_New(IVALUE);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(IVALUE, a->type);
    EXPECT_EQ(0, Carray_GetSize(a));
    Carray_AddIvalue(a, 4);
    Carray_RemoveAll(a);
    free(a);
}

} // namespace
