// One export per player command, all generated from the command table.
#include "host/host_command.h"
#include "player/command_table.h"
#include "player/player_link.h"

namespace zel {
namespace {
int RunPlayerCommand(std::uint32_t id, bool flushFirst) {
    if (flushFirst) FlushPlaylist();
    SendPlayerCommand(id);
    return kResultAnswer;
}
}  // namespace
}  // namespace zel

#define ZEL_DEFINE_PLAYER_COMMAND(name, id, flush) \
    ZEL_HOST_COMMAND(zel_winamp_##name) {          \
        (void)data;                                \
        return zel::RunPlayerCommand(id, flush);   \
    }
ZEL_PLAYER_COMMANDS(ZEL_DEFINE_PLAYER_COMMAND)
#undef ZEL_DEFINE_PLAYER_COMMAND
