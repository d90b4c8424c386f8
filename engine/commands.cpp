#include "engine/commands.h"

namespace {

struct NamedCommand {
  CommandId id;
  const char* name;
};

constexpr NamedCommand kCommandNames[] = {
    {80, "CmdSign"},          {81, "CmdClear"},        {82, "CmdClearEntry"},
    {83, "CmdBackspace"},     {84, "CmdStatistics"},   {85, "CmdDecimalPoint"},
    {86, "CmdAnd"},           {87, "CmdOr"},           {88, "CmdXor"},
    {89, "CmdShiftLeft"},     {90, "CmdDivide"},       {91, "CmdMultiply"},
    {92, "CmdAdd"},           {93, "CmdSubtract"},     {94, "CmdMod"},
    {95, "CmdPower"},         {96, "CmdInt"},          {97, "CmdNot"},
    {98, "CmdSin"},           {99, "CmdCos"},          {100, "CmdTan"},
    {101, "CmdLn"},           {102, "CmdLog"},         {103, "CmdSqrt"},
    {104, "CmdSquare"},       {105, "CmdCube"},        {106, "CmdFactorial"},
    {107, "CmdReciprocal"},   {108, "CmdDms"},         {109, "CmdPercent"},
    {110, "CmdFE"},           {111, "CmdPi"},          {112, "CmdEquals"},
    {113, "CmdMemoryClear"},  {114, "CmdMemoryRecall"}, {115, "CmdMemoryStore"},
    {116, "CmdMemoryAdd"},    {117, "CmdExponent"},    {118, "CmdAverage"},
    {119, "CmdSum"},          {120, "CmdStdDev"},      {121, "CmdData"},
    {122, "CmdOpenParen"},    {123, "CmdCloseParen"},  {124, "CmdDigit0"},
    {125, "CmdDigit1"},       {126, "CmdDigit2"},      {127, "CmdDigit3"},
    {128, "CmdDigit4"},       {129, "CmdDigit5"},      {130, "CmdDigit6"},
    {131, "CmdDigit7"},       {132, "CmdDigit8"},      {133, "CmdDigit9"},
    {134, "CmdDigitA"},       {135, "CmdDigitB"},      {136, "CmdDigitC"},
    {137, "CmdDigitD"},       {138, "CmdDigitE"},      {139, "CmdDigitF"},
    {140, "CmdBin"},          {141, "CmdOct"},         {142, "CmdDec"},
    {143, "CmdHex"},          {144, "CmdInv"},         {145, "CmdHyp"},
    {146, "CmdDegDword"},     {147, "CmdRadWord"},     {148, "CmdGradByte"},
    {300, "CmdCopy"},         {301, "CmdPaste"},       {302, "CmdAbout"},
    {303, "CmdScientific"},   {304, "CmdStandard"},    {305, "CmdHelpTopics"},
};

}  // namespace

const char* CommandName(CommandId id) {
  for (const NamedCommand& c : kCommandNames) {
    if (c.id == id) return c.name;
  }
  return nullptr;
}

bool IsRecordedCommand(CommandId id) {
  switch (id) {
    case CmdBackspace:
    case CmdStatistics:
    case CmdFE:
    case CmdMemoryClear:
    case CmdExponent:
      return false;
    default:
      return !(id >= CmdInv && id <= CmdGradByte);
  }
}

bool PassesErrorLock(CommandId id) {
  return id == CmdClear || id == CmdClearEntry || id == CmdHelpTopics;
}

bool EndsEntry(CommandId id) {
  return (id >= 86 && id <= 116) || (id >= 118 && id <= 123) ||
         (id >= 140 && id <= 148) || id == CmdPaste;
}

bool StartsEntry(CommandId id) {
  return IsDigitCommand(id) || id == CmdDecimalPoint;
}

bool IsDecimalOnlyCommand(CommandId id) {
  switch (id) {
    case CmdDecimalPoint:
    case CmdSin:
    case CmdCos:
    case CmdTan:
    case CmdDms:
    case CmdPi:
    case CmdExponent:
      return true;
    default:
      return false;
  }
}

bool IsDecimalOnlyKey(CommandId id) {
  switch (id) {
    case CmdSin:
    case CmdCos:
    case CmdTan:
    case CmdDms:
    case CmdFE:
    case CmdPi:
    case CmdExponent:
      return true;
    default:
      return false;
  }
}

bool ClearsInverse(CommandId id) {
  switch (id) {
    case CmdInt:
    case CmdSin:
    case CmdCos:
    case CmdTan:
    case CmdLn:
    case CmdLog:
    case CmdSquare:
    case CmdCube:
    case CmdDms:
    case CmdPi:
      return true;
    default:
      return IsStatisticsCommand(id);
  }
}

bool ClearsHyperbolic(CommandId id) {
  return id == CmdSin || id == CmdCos || id == CmdTan;
}
