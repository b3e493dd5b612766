// The player commands: export name (after "zel_winamp_"), menu command identifier, and
// whether the player is first made to write its playlist. This one list generates the
// exports and the table that describes them.
#pragma once

#include <cstdint>

#define ZEL_PLAYER_COMMANDS(X)                          \
    X(inc_volume, 40058, true)                          \
    X(dec_volume, 40059, true)                          \
    X(pause, 40046, true)                               \
    X(stop, 40047, true)                                \
    X(stop_after, 40157, true)                          \
    X(prev_track, 40044, true)                          \
    X(next_track, 40048, false)                         \
    X(play, 40045, false)                               \
    X(next_5sec, 40148, false)                          \
    X(prev_5sec, 40144, false)                          \
    X(toggle_repeat, 40022, false)                      \
    X(toggle_shuffle, 40023, true)                      \
    X(open_file, 40029, true)                           \
    X(open_url, 40155, true)                            \
    X(fade_out, 40147, true)                            \
    X(close, 40001, false)                              \
    X(start_of_playlist, 40154, false)                  \
    X(end_of_playlist, 40158, false)                    \
    X(jump_to_time, 40193, false)                       \
    X(jump_to_file, 40194, false)                       \
    X(open_skinselector, 40219, false)                  \
    X(reload_skin, 40291, false)                        \
    X(10_tracks_back_in_playlist, 40197, false)         \
    X(time_display_to_elapsed, 40037, false)            \
    X(time_display_to_remaining, 40038, false)          \
    X(Toggle_title_Autoscrolling, 40189, false)         \
    X(Toggle_always_on_top, 40019, false)               \
    X(Toggle_doublesize_mode, 40165, false)             \
    X(Toggle_EQ, 40036, false)                          \
    X(Toggle_playlist_editor, 40040, false)             \
    X(Toggle_main_window_visible, 40258, false)         \
    X(Toggle_minibrowser, 40298, false)                 \
    X(Toggle_easymove, 40186, false)                    \
    X(Play_audio_CD, 40323, false)

namespace zel {

struct PlayerCommand {
    const char* exportName;
    std::uint32_t id;
    bool flushFirst;
};

#define ZEL_PLAYER_COMMAND_ENTRY(name, id, flush) {"zel_winamp_" #name, id, flush},
constexpr PlayerCommand kPlayerCommands[] = {ZEL_PLAYER_COMMANDS(ZEL_PLAYER_COMMAND_ENTRY)};
#undef ZEL_PLAYER_COMMAND_ENTRY

}  // namespace zel
