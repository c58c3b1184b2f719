// The intrusive list that holds a unit's slaves, movers and animations.

#include "core/LinkedList.h"

#include <gtest/gtest.h>

namespace {

struct SItem {
    int value = 0;
    SItem* next = nullptr;
};

TEST(LinkedListTest, TailPushFindRemoveAndPositions)
{
    SItem items[4];
    TLinkedList<SItem> list;
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(nullptr, list.At(0));
    for (int i = 0; i < 4; ++i) {
        items[i].value = i;
        list.PushBack(&items[i]);
    }
    EXPECT_EQ(4, list.Count());
    EXPECT_EQ(&items[3], list.At(3));
    EXPECT_EQ(nullptr, list.At(4));
    EXPECT_EQ(nullptr, list.At(-1));
    EXPECT_EQ(&items[2], list.Find([](const SItem* e) { return e->value == 2; }));
    EXPECT_TRUE(list.Remove(&items[0]));
    EXPECT_FALSE(list.Remove(&items[0]));
    EXPECT_EQ(nullptr, items[0].next);
    EXPECT_EQ(&items[1], list.First());
    // The element being visited may leave the list.
    int sum = 0;
    list.ForEach([&](SItem* e) {
        sum += e->value;
        if (e->value == 2) list.Remove(e);
    });
    EXPECT_EQ(1 + 2 + 3, sum);
    EXPECT_EQ(2, list.Count());
    EXPECT_EQ(&items[3], list.At(1));
}

} // namespace
