#include "engine/commands.h"

const char* CommandName(CommandId id) {
  const CommandInfo* c = FindCommand(id);
  return c != nullptr ? c->name : nullptr;
}
