// The undo stack of the zone editor: the entry state is the floor, every undo steps back one edit.
#include "zonemap/ZoneUndo.h"

#include <gtest/gtest.h>

using namespace tlx;

TEST(ZoneUndo, StepsBackOneEditAtATimeAndNeverBelowTheEntryState) {
  ZoneUndoStack stack;
  const ZoneMap entry = ZoneMap::FourQuadrants();
  stack.Reset(entry);
  EXPECT_FALSE(stack.CanUndo());
  EXPECT_FALSE(stack.Undo().has_value());
  EXPECT_EQ(stack.Count(), 1u);

  ZoneMap first = entry;
  first.Set(0, 0, 'x');
  ZoneMap second = first;
  second.Set(23, 31, 'y');
  stack.Push(first);
  stack.Push(second);
  ASSERT_TRUE(stack.CanUndo());
  EXPECT_EQ(stack.Undo(), first);
  EXPECT_EQ(stack.Undo(), entry);
  EXPECT_FALSE(stack.Undo().has_value());
  EXPECT_EQ(stack.Count(), 1u);

  // A new entry forgets everything pushed before.
  stack.Push(second);
  stack.Reset(ZoneMap());
  EXPECT_EQ(stack.Count(), 1u);
  EXPECT_FALSE(stack.CanUndo());
}
