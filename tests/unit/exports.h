// Declarations of every export, for calling them the way the client does.
#pragma once

#include <cstdio>
#include <string>

#include "host/host_command.h"
#include "player/command_table.h"

extern "C" void ZEL_STDCALL LoadDll(void* record);

#define ZEL_DECLARE_PLAYER_COMMAND(name, id, flush) ZEL_HOST_COMMAND(zel_winamp_##name);
ZEL_PLAYER_COMMANDS(ZEL_DECLARE_PLAYER_COMMAND)
#undef ZEL_DECLARE_PLAYER_COMMAND

ZEL_HOST_COMMAND(zel_winamp_track_length);
ZEL_HOST_COMMAND(zel_winamp_track_play_pos);
ZEL_HOST_COMMAND(zel_winamp_playlist_tracks);
ZEL_HOST_COMMAND(zel_winamp_playlist_pos);
ZEL_HOST_COMMAND(zel_winamp_track_samplerate);
ZEL_HOST_COMMAND(zel_winamp_track_bitrate);
ZEL_HOST_COMMAND(zel_winamp_track_channels);
ZEL_HOST_COMMAND(zel_winamp_track_name);
ZEL_HOST_COMMAND(zel_winamp_start);
ZEL_HOST_COMMAND(zel_winamp_track_file);
ZEL_HOST_COMMAND(zel_winamp_id3_title);
ZEL_HOST_COMMAND(zel_winamp_id3_artist);
ZEL_HOST_COMMAND(zel_winamp_id3_album);
ZEL_HOST_COMMAND(zel_winamp_id3_year);
ZEL_HOST_COMMAND(zel_winamp_id3_comment);
ZEL_HOST_COMMAND(zel_winamp_id3_genre);

namespace zel::testing {

using Command = int ZEL_STDCALL (*)(void*, void*, char*, char*, int, int);

// Calls a command as the client does, with a 900-byte buffer holding `parameters`, and
// returns what the buffer holds afterwards up to its first zero byte.
inline std::string Call(Command command, const char* parameters = "abc", int* result = nullptr) {
    char data[zel::kDataCapacity] = {};
    std::snprintf(data, sizeof data, "%s", parameters);
    const int r = command(nullptr, nullptr, data, nullptr, 0, 0);
    if (result != nullptr) *result = r;
    return std::string(data);
}

}  // namespace zel::testing
