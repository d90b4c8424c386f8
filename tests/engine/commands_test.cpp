#include "engine/commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "engine/operators.h"

namespace {

std::set<CommandId> Range(CommandId first, CommandId last) {
  std::set<CommandId> ids;
  for (CommandId id = first; id <= last; ++id) ids.insert(id);
  return ids;
}

std::set<CommandId> Join(std::initializer_list<std::set<CommandId>> parts) {
  std::set<CommandId> ids;
  for (const auto& p : parts) ids.insert(p.begin(), p.end());
  return ids;
}

// Each membership test against its list, over every id up to 400 and a few
// far beyond.
TEST(CommandSetTest, MembershipListsMatchTheirIds) {
  struct Case {
    const char* name;
    bool (*test)(CommandId);
    std::set<CommandId> members;
  };
  const Case cases[] = {
      {"not recorded", [](CommandId id) { return !IsRecordedCommand(id); },
       {83, 84, 110, 113, 117, 144, 145, 146, 147, 148}},
      {"passes lock", PassesErrorLock, {81, 82, 305}},
      {"ends entry", EndsEntry,
       Join({Range(86, 116), Range(118, 123), Range(140, 148), {301}})},
      {"starts entry", StartsEntry, Join({Range(124, 139), {85}})},
      {"radix 10 only", IsDecimalOnlyCommand, {85, 98, 99, 100, 108, 111, 117}},
      {"radix 10 key", IsDecimalOnlyKey, {98, 99, 100, 108, 110, 111, 117}},
      {"clears Inv", ClearsInverse,
       Join({{96, 98, 99, 100, 101, 102, 104, 105, 108, 111}, Range(118, 121)})},
      {"clears Hyp", ClearsHyperbolic, {98, 99, 100}},
      {"digit", IsDigitCommand, Range(124, 139)},
      {"binary", IsBinaryOperator, Range(86, 95)},
      {"unary", IsUnaryFunction, Range(96, 109)},
      {"statistics", IsStatisticsCommand, Range(118, 121)},
      {"radix", IsRadixCommand, Range(140, 143)},
      {"menu", IsMenuCommand, Range(300, 305)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (CommandId id = 0; id <= 400; ++id) {
      EXPECT_EQ(c.test(id), c.members.count(id) == 1) << "id " << id;
    }
    for (CommandId id : {1000u, 65536u + 92u, 0x80000000u, 0xFFFFFFFFu}) {
      EXPECT_EQ(c.test(id), c.members.count(id) == 1) << "id " << id;
    }
  }
}

TEST(CommandSetTest, NamesOfKnownCommands) {
  struct Case {
    CommandId id;
    const char* name;
  };
  const Case cases[] = {
      {80, "CmdSign"},      {95, "CmdPower"},       {112, "CmdEquals"},
      {124, "CmdDigit0"},   {139, "CmdDigitF"},     {146, "CmdDegDword"},
      {148, "CmdGradByte"}, {300, "CmdCopy"},       {305, "CmdHelpTopics"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    ASSERT_NE(CommandName(c.id), nullptr);
    EXPECT_STREQ(CommandName(c.id), c.name);
  }
  int known = 0;
  for (CommandId id = 0; id <= 400; ++id) known += CommandName(id) != nullptr;
  EXPECT_EQ(known, 69 + 6);  // keys 80 to 148 and menu items 300 to 305
  EXPECT_EQ(CommandName(OpShiftRight), nullptr);
  EXPECT_EQ(CommandName(0xFFFFFFFFu), nullptr);
}

TEST(CommandSetTest, Precedences) {
  struct Case {
    uint32_t op;
    int32_t precedence;
  };
  const Case cases[] = {
      {0, 0},        {CmdOr, 0},       {CmdXor, 0},        {CmdAnd, 1},
      {CmdAdd, 2},   {CmdSubtract, 2}, {OpShiftRight, 3},  {CmdShiftLeft, 3},
      {CmdMod, 3},   {CmdDivide, 3},   {CmdMultiply, 3},   {CmdPower, 4},
      {CmdEquals, 0}, {0xFFFFFFFFu, 0}, {CmdPower + 256, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.op);
    EXPECT_EQ(OperatorPrecedence(c.op), c.precedence);
  }
}

}  // namespace
